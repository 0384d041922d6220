#include "adaptercore/Corecrypto.h"

#include <gtest/gtest.h>

namespace {

struct Wep64Case {
    const char* phrase;
    const char* keys[4];
};

TEST(CoreCrypto, Wep64MatchesPublishedVectors)
{
    const Wep64Case cases[] = {
        {"badpw", {"02CB778981", "C27236DFB1", "C90C104FA2", "A804571CC0"}},
        {"foobar", {"A4BEB3B8EC", "B697E900C8", "B5D2BB755B", "197EA2ABE7"}},
        {"z", {"B5715B3121"}},
        {"zazazax", {"2039C027B1"}},
        {"lorem ipsum", {"A04599BF1B"}},
        {"Lorem Ipsum", {"9798F4B529"}},
        {"my_wireless", {"6620AF017C"}},
    };
    for (const Wep64Case& c : cases) {
        const auto keys = WepKeys64(c.phrase);
        for (int i = 0; i < 4 && c.keys[i]; ++i)
            EXPECT_EQ(HexText(keys[size_t(i)]), c.keys[i]) << c.phrase << " key " << i + 1;
    }
}

TEST(CoreCrypto, Wep128MatchesPublishedVectors)
{
    const std::pair<const char*, const char*> cases[] = {
        {"abc", "EFEFEEDAE197ED614B582E1490"},
        {"Openthedoor", "1C1F9289BA0A0A0EAA111785AB"},
        {"let me in", "8DEEB02401BBE30372362EB214"},
        {"my_wireless", "72AA25CD43364D09986BF0B5B9"},
        {"foobar", "49D68437B1FFB0DB3FDF2D4A93"},
        {"x", "C1BB4F81D892B2D57947682AEB"},
        {"aaaaaaaaaaaaaaaa", "014842D480B571495A4A036379"},
    };
    for (const auto& [phrase, key] : cases) {
        const auto derived = WepKey128(phrase);
        ASSERT_TRUE(derived) << phrase;
        EXPECT_EQ(HexText(*derived), key) << phrase;
    }
    EXPECT_FALSE(WepKey128(""));
}

TEST(CoreCrypto, WpaPskMatchesPublishedVectors)
{
    const std::tuple<std::string, std::string, const char*> cases[] = {
        {"password", "IEEE", "F42C6FC52DF0EBEF9EBB4B90B38A5F902E83FE1B135A70E23AED762E9710A12E"},
        {"ThisIsAPassword", "ThisIsASSID",
         "0DC0D6EB90555ED6419756B9A15EC3E3209B63DF707DD508D14581F8982721AF"},
        {std::string(32, 'a'), std::string(32, 'Z'),
         "BECB93866BB8C3832CB777C2F559807C8C59AFCB6EAE734885001300A981CC62"},
        {"asdfasdfasdf", "asdf", "9BBAB1B4FC33B10E51B71F2B4C0A208694834C22BEEA2D2C2FC496E47EE7D8BA"},
        {"alfalfa sprouts", "foobar", "2DCDC9E701707FDB4C5A9C22966637172FA314A5399FBB7C9A7786BD266E0AAF"},
    };
    for (const auto& [phrase, ssid, psk] : cases) {
        const auto derived = WpaPsk(phrase, ssid);
        ASSERT_TRUE(derived) << phrase;
        EXPECT_EQ(HexText(*derived), psk) << phrase;
    }
}

TEST(CoreCrypto, WpaPskRefusesPassPhrasesOutsideTheRules)
{
    EXPECT_FALSE(WpaPsk("short", "ssid"));
    EXPECT_FALSE(WpaPsk(std::string(64, 'a'), "ssid"));
    EXPECT_FALSE(WpaPsk("tab\there!", "ssid"));
    EXPECT_FALSE(WpaPsk("long enough", std::string(33, 's')));
    EXPECT_TRUE(WpaPsk(std::string(63, '~'), ""));
}

TEST(CoreCrypto, HexBytesAcceptsOnlyWholeHexPairs)
{
    EXPECT_EQ(HexBytes("0aFF"), (Bytes{0x0A, 0xFF}));
    EXPECT_FALSE(HexBytes(""));
    EXPECT_FALSE(HexBytes("ABC"));
    EXPECT_FALSE(HexBytes("12G4"));
}

} // namespace
