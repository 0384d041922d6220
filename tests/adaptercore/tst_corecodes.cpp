#include "adaptercore/Corecodes.h"

#include <gtest/gtest.h>

namespace {

// Which kinds of security a library sends through an 802.1x login, by the numbers profiles hold; an unknown
// number never is one.
TEST(CoreCodes, Dot1xSecurityIsWpaWpa2AndPlain8021xOnly)
{
    struct Case {
        int32_t method;
        bool dot1x;
    } const cases[] = {
        {ToCode(TsrwlSecurity::Open), false},
        {ToCode(TsrwlSecurity::Wep), false},
        {ToCode(TsrwlSecurity::WpaPsk), false},
        {ToCode(TsrwlSecurity::Wpa), true},
        {ToCode(TsrwlSecurity::Dot1x), true},
        {5, false},
        {ToCode(TsrwlSecurity::Wpa2Psk), false},
        {ToCode(TsrwlSecurity::Wpa2), true},
        {-1, false},
        {8, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsDot1xSecurity(c.method), c.dot1x) << c.method;
}

} // namespace
