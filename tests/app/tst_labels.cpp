#include "app/Udefine.h"
#include "app/Ulabels.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

struct SiteCase {
    uint32_t code;
    const char* text;
};

class SiteSecurity : public ::testing::TestWithParam<SiteCase> {};

} // namespace

TEST_P(SiteSecurity, CodeGivesText)
{
    EXPECT_EQ(SiteSecurityText(GetParam().code), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Codes, SiteSecurity,
                         ::testing::Values(SiteCase{0, "Disabled"}, SiteCase{1, "WEP"}, SiteCase{2, "N/A"},
                                           SiteCase{9, "N/A"}, SiteCase{10, "WPA"}, SiteCase{15, "WPA"},
                                           SiteCase{16, "N/A"}, SiteCase{20, "WPA-PSK"},
                                           SiteCase{99, "WPA-PSK"}, SiteCase{110, "WPA2"},
                                           SiteCase{125, "WPA2-PSK"}, SiteCase{199, "WPA2-PSK"},
                                           SiteCase{1013, "WPA/ WPA2"}, SiteCase{1099, "WPA-PSK/ WPA2-PSK"},
                                           SiteCase{1100, "N/A"}, SiteCase{0xFFFFFFFF, "N/A"}));

TEST(Labels, SecurityTextOutsideTheTableIsEmpty)
{
    EXPECT_EQ(SecurityText(0), "Disabled");
    EXPECT_EQ(SecurityText(7), "WPA2");
    EXPECT_EQ(SecurityText(8), "");
    EXPECT_EQ(SecurityText(-1), "");
}

TEST(Labels, ModeAndBandsRoundTrip)
{
    for (int mode : {1, 2, 3, 11, 12, 13, 14, 22, 23, 31, 32, 33, 34})
        EXPECT_EQ(BandsToMode(ModeToBands(mode)), mode) << mode;
    EXPECT_EQ(BandsToMode(ModeToBands(21)), 1) << "21 is 802.11b like 1";
    EXPECT_EQ(ModeToBands(0), 0x307u);
    EXPECT_EQ(ModeToBands(35), 0x307u);
    EXPECT_EQ(BandsToMode(0x006), 12);
    EXPECT_EQ(BandsToMode(0x106), 32);
    EXPECT_EQ(BandsToMode(0), 34);
    EXPECT_EQ(BandsToMode(0x2FF), 34);
}

TEST(Labels, BandAndModeTexts)
{
    EXPECT_EQ(BandListText(14), "2.4 GHz + 5 GHz");
    EXPECT_EQ(BandListText(2), "5 GHz");
    EXPECT_EQ(BandListText(11), "2.4 GHz");
    EXPECT_EQ(ModeText(14, true), "802.11a");
    EXPECT_EQ(ModeText(11, true), "802.11g");
    EXPECT_EQ(ModeText(1, true), "802.11b");
    EXPECT_EQ(ModeText(12, false), "5 GHz");
    EXPECT_EQ(ModeText(3, false), "2.4 GHz");
    // The number in the format of the texts' language.
    const QString language = std::exchange(g_Var.Language, QStringLiteral("de"));
    EXPECT_EQ(BandListText(14), "2,4 GHz + 5 GHz");
    EXPECT_EQ(ModeText(3, false), "2,4 GHz");
    g_Var.Language = language;
}

TEST(Labels, TextsFollowTheLanguageTable)
{
    const QString saved = g_Var.CommonTexts[4];
    g_Var.CommonTexts[4] = QStringLiteral("Ghz!");
    EXPECT_EQ(BandListText(14), "2.4 Ghz! + 5 Ghz!");
    g_Var.CommonTexts[4] = saved;
}

TEST(Labels, SignalPercent)
{
    const std::pair<int, int> cases[] = {{0, 0},     {-95, 0},   {-96, 0},  {-94, 2},       {-70, 50},
                                         {-45, 100}, {-30, 100}, {-1, 100}, {INT32_MIN, 0}, {INT32_MAX, 100}};
    for (auto [dbm, percent] : cases)
        EXPECT_EQ(SignalPercent(dbm), percent) << dbm;
}
