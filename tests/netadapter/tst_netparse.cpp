// The library's translations on their own: access point flags into scan security codes, and nl80211 answers
// (built here with libnl as the kernel sends them) into channels, stations and the regulatory domain.
#include "netadapter/Netradio.h"
#include "netadapter/Netreason.h"
#include "netadapter/Netsettings.h"

#include <cstdlib>
#include <tuple>
#include <gtest/gtest.h>
#include <linux/nl80211.h>
#include <netlink/genl/genl.h>

namespace {

constexpr uint32_t kPrivacy = 0x1, kTkip = 0x4, kCcmp = 0x8, kPsk = 0x100, kEap = 0x200, kSae = 0x400;

struct Message {
    nl_msg* msg = nlmsg_alloc();
    explicit Message(uint8_t command) { genlmsg_put(msg, 0, 0, 30, 0, 0, command, 0); }
    ~Message() { nlmsg_free(msg); }
};

struct Freq {
    uint32_t mhz;
    bool disabled, noIr, radar;
};

void PutBand(nl_msg* msg, int index, const std::vector<Freq>& freqs)
{
    nlattr* band = nla_nest_start(msg, index);
    nlattr* list = nla_nest_start(msg, NL80211_BAND_ATTR_FREQS);
    for (size_t i = 0; i < freqs.size(); ++i) {
        nlattr* f = nla_nest_start(msg, int(i));
        nla_put_u32(msg, NL80211_FREQUENCY_ATTR_FREQ, freqs[i].mhz);
        if (freqs[i].disabled)
            nla_put_flag(msg, NL80211_FREQUENCY_ATTR_DISABLED);
        if (freqs[i].noIr)
            nla_put_flag(msg, NL80211_FREQUENCY_ATTR_NO_IR);
        if (freqs[i].radar)
            nla_put_flag(msg, NL80211_FREQUENCY_ATTR_RADAR);
        nla_nest_end(msg, f);
    }
    nla_nest_end(msg, list);
    nla_nest_end(msg, band);
}

} // namespace

TEST(NetSecurityCode, FlagsOfEveryKindGiveTheScanCode)
{
    struct Case {
        uint32_t flags, wpa, rsn, code;
    } cases[] = {
        {0, 0, 0, 0},
        {kPrivacy, 0, 0, 1},
        {kPrivacy, kPsk | kTkip, 0, 20},
        {kPrivacy, kPsk | kCcmp, 0, 23},
        {kPrivacy, 0, kPsk | kCcmp, 123},
        {kPrivacy, 0, kPsk | kTkip | kCcmp, 125},
        {kPrivacy, kPsk | kTkip, kPsk | kCcmp, 1025},
        {kPrivacy, kEap | kTkip, 0, 10},
        {kPrivacy, 0, kEap | kCcmp, 113},
        {kPrivacy, kEap | kTkip, kEap | kTkip, 1010},
        {kPrivacy, 0, kSae | kCcmp, 123}, // WPA3 personal is offered as WPA2 with a pre-shared key
    };
    for (const Case& c : cases)
        EXPECT_EQ(SecurityCodeOf(c.flags, c.wpa, c.rsn), c.code) << c.wpa << " " << c.rsn;
}

TEST(NetSecurityCode, BandSignalAndAddressConversions)
{
    EXPECT_EQ(DotModeOf(5180, 54000), 2u);
    EXPECT_EQ(DotModeOf(2412, 54000), 3u);
    EXPECT_EQ(DotModeOf(2412, 11000), 1u);
    EXPECT_EQ(SignalDbmOf(100), -40);
    EXPECT_EQ(SignalDbmOf(0), -100);
    EXPECT_EQ(SignalDbmOf(250), -40);
    // The manager's percentage of each level, as it computes it, comes back within a dBm.
    for (int dbm = -100; dbm <= -40; ++dbm) {
        const int percent = 100 - 100 * (-40 - dbm) / 60;
        EXPECT_LE(std::abs(SignalDbmOf(uint32_t(percent)) - dbm), 1) << dbm << " dBm, " << percent << " %";
    }
    uint8_t ip[4] = {};
    EXPECT_TRUE(IpBytes("10.1.2.3", ip));
    EXPECT_EQ(IpText(ip), "10.1.2.3");
    EXPECT_FALSE(IpBytes("10.1.2", ip));
    const uint8_t zero[4] = {};
    EXPECT_EQ(IpText(zero), "");
}

TEST(NetRadioParse, WiphyBandsGiveTheChannelsAStationOrAnAccessPointMayUse)
{
    Message m(NL80211_CMD_NEW_WIPHY);
    nla_put_u32(m.msg, NL80211_ATTR_WIPHY, 3);
    nlattr* bands = nla_nest_start(m.msg, NL80211_ATTR_WIPHY_BANDS);
    PutBand(m.msg, 0, {{2412, false, false, false}, {2467, false, true, false}, {2484, true, false, false}});
    PutBand(m.msg, 1, {{5180, false, false, false}, {5260, false, false, true}, {5500, false, true, true}});
    nla_nest_end(m.msg, bands);

    EXPECT_EQ(ParseWiphyIndex(m.msg), 3u);
    std::vector<NetFrequency> freqs;
    ParseWiphyFrequencies(m.msg, freqs);
    ASSERT_EQ(freqs.size(), 6u);
    EXPECT_EQ(ChannelsOf(freqs, 1, false), (std::vector<int>{1, 12}));
    EXPECT_EQ(ChannelsOf(freqs, 4, true), (std::vector<int>{1}));
    EXPECT_EQ(ChannelsOf(freqs, 2, false), (std::vector<int>{36, 52, 100}));
    EXPECT_EQ(ChannelsOf(freqs, 2, true), (std::vector<int>{36}));
}

TEST(NetRadioParse, AnswersWithoutTheirAttributeGiveNothing)
{
    Message empty(NL80211_CMD_NEW_WIPHY);
    std::vector<NetFrequency> freqs;
    ParseWiphyFrequencies(empty.msg, freqs);
    EXPECT_TRUE(freqs.empty());
    EXPECT_FALSE(ParseWiphyIndex(empty.msg));
    EXPECT_FALSE(ParseStationMac(empty.msg));
    EXPECT_FALSE(ParseRegAlpha2(empty.msg));

    Message shortMac(NL80211_CMD_NEW_STATION);
    const uint8_t five[5] = {1, 2, 3, 4, 5};
    nla_put(shortMac.msg, NL80211_ATTR_MAC, sizeof five, five);
    EXPECT_FALSE(ParseStationMac(shortMac.msg));
}

TEST(NetRadioParse, StationAndRegulatoryAnswers)
{
    Message station(NL80211_CMD_NEW_STATION);
    const uint8_t mac[6] = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
    nla_put(station.msg, NL80211_ATTR_MAC, sizeof mac, mac);
    const auto parsed = ParseStationMac(station.msg);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, (NetMac{0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE}));

    Message reg(NL80211_CMD_GET_REG);
    nla_put_string(reg.msg, NL80211_ATTR_REG_ALPHA2, "DE");
    EXPECT_EQ(ParseRegAlpha2(reg.msg), "DE");
}

// An attribute shorter than its type, or a message too short for its generic header, is refused: the parser
// must not read the bytes that follow it.
TEST(NetRadioParse, ShortAttributesAreRefusedNotReadPast)
{
    const uint8_t two[2] = {0x11, 0x22};
    Message shortWiphy(NL80211_CMD_NEW_WIPHY);
    nla_put(shortWiphy.msg, NL80211_ATTR_WIPHY, sizeof two, two);
    EXPECT_FALSE(ParseWiphyIndex(shortWiphy.msg));

    Message shortAlpha2(NL80211_CMD_GET_REG);
    nla_put(shortAlpha2.msg, NL80211_ATTR_REG_ALPHA2, 1, "D");
    EXPECT_FALSE(ParseRegAlpha2(shortAlpha2.msg));

    Message longMac(NL80211_CMD_NEW_STATION);
    const uint8_t seven[7] = {2, 1, 2, 3, 4, 5, 6};
    nla_put(longMac.msg, NL80211_ATTR_MAC, sizeof seven, seven);
    EXPECT_FALSE(ParseStationMac(longMac.msg));

    Message emptySignal(NL80211_CMD_NEW_STATION);
    nlattr* info = nla_nest_start(emptySignal.msg, NL80211_ATTR_STA_INFO);
    nla_put(emptySignal.msg, NL80211_STA_INFO_SIGNAL, 0, nullptr);
    nla_nest_end(emptySignal.msg, info);
    EXPECT_FALSE(ParseStationSignal(emptySignal.msg));

    // A short frequency drops that entry only; the band's well-formed ones stay.
    Message bands(NL80211_CMD_NEW_WIPHY);
    nlattr* list = nla_nest_start(bands.msg, NL80211_ATTR_WIPHY_BANDS);
    nlattr* band = nla_nest_start(bands.msg, 0);
    nlattr* freqs = nla_nest_start(bands.msg, NL80211_BAND_ATTR_FREQS);
    nlattr* bad = nla_nest_start(bands.msg, 0);
    nla_put(bands.msg, NL80211_FREQUENCY_ATTR_FREQ, sizeof two, two);
    nla_nest_end(bands.msg, bad);
    nlattr* good = nla_nest_start(bands.msg, 1);
    nla_put_u32(bands.msg, NL80211_FREQUENCY_ATTR_FREQ, 2412);
    nla_nest_end(bands.msg, good);
    nla_nest_end(bands.msg, freqs);
    nla_nest_end(bands.msg, band);
    nla_nest_end(bands.msg, list);
    std::vector<NetFrequency> parsed;
    ParseWiphyFrequencies(bands.msg, parsed);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].mhz, 2412u);

    // Only a netlink header, no room for the generic one.
    nl_msg* bare = nlmsg_alloc_simple(0x10, 0);
    EXPECT_FALSE(ParseWiphyIndex(bare));
    EXPECT_FALSE(ParseRegAlpha2(bare));
    nlmsg_free(bare);
}

TEST(NetRadioParse, StationSignalIsASignedByte)
{
    Message station(NL80211_CMD_NEW_STATION);
    nlattr* info = nla_nest_start(station.msg, NL80211_ATTR_STA_INFO);
    nla_put_u8(station.msg, NL80211_STA_INFO_SIGNAL_AVG, uint8_t(-57));
    nla_nest_end(station.msg, info);
    EXPECT_EQ(ParseStationSignal(station.msg), -57);
}

// Link Info showed an 802.11n link at MCS 13 as 802.11g: the generation comes from the kind of rate the
// kernel reports in either direction, the speed from the transmit rate.
TEST(NetRadioParse, StationRatesGiveTheLinksGenerationAndSpeed)
{
    struct Rate {
        int kind; // 0: none, else the rate info attribute that marks it
        uint32_t bitrate32;
    };
    const struct {
        Rate tx, rx;
        NetGeneration generation;
        uint32_t kbps;
    } cases[] = {
        {{NL80211_RATE_INFO_MCS, 1040}, {0, 0}, NetGeneration::Ht, 104000},
        {{-1, 540}, {NL80211_RATE_INFO_MCS, 650}, NetGeneration::Ht, 54000},
        {{NL80211_RATE_INFO_VHT_MCS, 4333}, {NL80211_RATE_INFO_MCS, 1300}, NetGeneration::Vht, 433300},
        {{NL80211_RATE_INFO_HE_MCS, 5764}, {0, 0}, NetGeneration::He, 576400},
        {{-1, 110}, {-1, 10}, NetGeneration::Legacy, 11000},
    };
    for (const auto& c : cases) {
        Message station(NL80211_CMD_NEW_STATION);
        nlattr* info = nla_nest_start(station.msg, NL80211_ATTR_STA_INFO);
        for (const auto& [kind, bitrate, attribute] :
             {std::tuple{c.tx.kind, c.tx.bitrate32, NL80211_STA_INFO_TX_BITRATE},
              std::tuple{c.rx.kind, c.rx.bitrate32, NL80211_STA_INFO_RX_BITRATE}}) {
            if (kind == 0)
                continue;
            nlattr* rate = nla_nest_start(station.msg, attribute);
            nla_put_u32(station.msg, NL80211_RATE_INFO_BITRATE32, bitrate);
            if (kind > 0)
                nla_put_u8(station.msg, kind, 7);
            nla_nest_end(station.msg, rate);
        }
        nla_nest_end(station.msg, info);
        const auto parsed = ParseStationRate(station.msg);
        ASSERT_TRUE(parsed) << c.kbps;
        EXPECT_EQ(parsed->generation, c.generation) << c.kbps;
        EXPECT_EQ(parsed->kbps, c.kbps);
    }
    Message bare(NL80211_CMD_NEW_STATION);
    EXPECT_FALSE(ParseStationRate(bare.msg));
}

TEST(NetRadioParse, ScanEntriesGiveEachBssidItsLevelInWholeDbm)
{
    const uint8_t bssid[6] = {0x02, 0, 0, 0, 0x01, 0x00};
    const struct {
        int32_t mbm, dbm;
    } cases[] = {{-3000, -30}, {-4551, -46}, {-4549, -45}, {0, 0}, {-10000, -100}};
    for (const auto& c : cases) {
        Message scan(NL80211_CMD_NEW_SCAN_RESULTS);
        nlattr* bss = nla_nest_start(scan.msg, NL80211_ATTR_BSS);
        nla_put(scan.msg, NL80211_BSS_BSSID, sizeof bssid, bssid);
        nla_put_u32(scan.msg, NL80211_BSS_SIGNAL_MBM, uint32_t(c.mbm));
        nla_nest_end(scan.msg, bss);
        const auto heard = ParseScanEntry(scan.msg);
        ASSERT_TRUE(heard) << c.mbm;
        EXPECT_EQ(heard->dbm, c.dbm) << c.mbm;
        EXPECT_EQ(heard->bssid, (NetMac{0x02, 0, 0, 0, 0x01, 0x00}));
    }
    Message unmeasured(NL80211_CMD_NEW_SCAN_RESULTS);
    nlattr* bss = nla_nest_start(unmeasured.msg, NL80211_ATTR_BSS);
    nla_put(unmeasured.msg, NL80211_BSS_BSSID, sizeof bssid, bssid);
    nla_nest_end(unmeasured.msg, bss);
    EXPECT_FALSE(ParseScanEntry(unmeasured.msg));
}

// The manager words an untrusted server as secrets wanted again; only the supplicant's own alert tells it
// from a refused login, and a pre-shared key knows no server.
TEST(NetReason, UntrustedServerAndActivationReasonsInTheProgramsCodes)
{
    EXPECT_EQ(ConnectErrorOfReason(7, true, true).code, TSRWL_CONNECT_ERROR_SERVER_UNTRUSTED);
    EXPECT_EQ(ConnectErrorOfReason(11, true, true).code, TSRWL_CONNECT_ERROR_SERVER_UNTRUSTED);
    EXPECT_EQ(ConnectErrorOfReason(7, true, false).code, TSRWL_CONNECT_ERROR_LOGIN_REFUSED);
    EXPECT_EQ(ConnectErrorOfReason(7, false, true).code, TSRWL_CONNECT_ERROR_WRONG_KEY);
    const struct {
        uint32_t activation, device;
    } reasons[] = {{9, 7}, {10, 10}, {6, 11}, {5, 5}, {14, 36}, {2, 39}, {3, 0}, {1, 0}, {999, 0}};
    for (const auto& r : reasons)
        EXPECT_EQ(DeviceReasonOfActivation(r.activation), r.device) << r.activation;
}
