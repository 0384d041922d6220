// Site survey, Soft AP stations, certificates and profiles made from scanned networks.
#include "adapterfixture.h"

#include <cstring>

using fakelib::MakeSite;
using fakelib::With;

namespace {

class AdapterSite : public AdapterTest {
protected:
    TSiteList Scan(const std::vector<TSSiteEntry>& entries, uint32_t count)
    {
        With([&](FakeLibState& s) {
            s.scan = TSSiteSurveyBuffer{};
            s.scan.Count = count;
            std::copy(entries.begin(), entries.end(), s.scan.Entries);
        });
        TSiteList list;
        Adapter().GetSiteList(list);
        return list;
    }
};

} // namespace

TEST_F(AdapterSite, DuplicatesAndUnlistableEntriesAreDropped)
{
    TSSiteEntry longSsid = MakeSite("x", 9);
    longSsid.SsidLength = 33;
    TSSiteEntry zeroSsid = MakeSite("", 10);
    zeroSsid.SsidLength = 4;
    TSSiteEntry zeroMac = MakeSite("nomac", 0);
    zeroMac.Bssid[0] = 0;
    const TSiteList list = Scan({MakeSite("net", 1), MakeSite("net", 1), MakeSite("net", 2),
                                 MakeSite("other", 1), MakeSite("", 3), longSsid, zeroSsid, zeroMac},
                                8);
    ASSERT_EQ(list.size(), 3u) << "same SSID and BSSID once; another BSSID or SSID is another network";
    EXPECT_EQ(list[0].Bssid[5], 1);
    EXPECT_EQ(list[1].Bssid[5], 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(list[2].Ssid), list[2].SsidLength), "other");
}

TEST_F(AdapterSite, FullScanAndGarbageCount)
{
    std::vector<TSSiteEntry> entries;
    for (int i = 0; i < TSRWL_SITE_ENTRY_MAX; ++i)
        entries.push_back(MakeSite("net" + std::to_string(i), uint8_t(i)));
    EXPECT_EQ(Scan(entries, TSRWL_SITE_ENTRY_MAX).size(), 256u);
    EXPECT_EQ(Scan(entries, 0xFFFFFFFF).size(), 256u) << "never read past the buffer";
    EXPECT_TRUE(Scan({}, 0).empty());
}

TEST_F(AdapterSite, StationListEndsAtTheFirstZeroAddress)
{
    With([](FakeLibState& s) {
        for (int i = 0; i < TSRWL_STATION_MAX; ++i) {
            s.stations.Mac[i][0] = 0x02;
            s.stations.Mac[i][4] = uint8_t(i >> 8);
            s.stations.Mac[i][5] = uint8_t(i);
        }
    });
    TStationList list;
    Adapter().GetStationList(list);
    EXPECT_EQ(list.size(), 1024u);
    With([](FakeLibState& s) { memset(s.stations.Mac[3], 0, 6); });
    list.clear();
    m_Adapter->GetStationList(list);
    EXPECT_EQ(list.size(), 3u);
}

TEST_F(AdapterSite, CertificatesAreCopiedAndGarbageCountsIgnored)
{
    With([](FakeLibState& s) {
        s.certificates.resize(2);
        strcpy(s.certificates[0].Name, "User cert");
        strcpy(s.certificates[0].Issuer, "Test CA");
        memset(s.certificates[1].Name, 'N', sizeof s.certificates[1].Name); // unterminated
    });
    TCertList list;
    Adapter().GetCertificateList(list, TSRWL_CERT_KIND_USER);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[0].Issuer, "Test CA");
    EXPECT_EQ(strlen(list[1].Name), 255u);
    for (int32_t garbage : {-1, 1 << 30}) {
        With([garbage](FakeLibState& s) { s.certificateCountOverride = garbage; });
        list.clear();
        m_Adapter->GetCertificateList(list, TSRWL_CERT_KIND_ROOT);
        EXPECT_TRUE(list.empty()) << garbage;
    }
}

TEST_F(AdapterSite, SecurityCodesGiveProfileSettings)
{
    struct Case {
        uint32_t code;
        int encryption;
        int wpaType;
        int wepLevel;
    };
    const Case cases[] = {{0, 0, 1, 0},   {2, 0, 1, 0},    {1, 1, 1, 1},   {12, 3, 1, 0},  {1013, 3, 2, 0},
                          {99, 2, 1, 0},  {1024, 2, 2, 0}, {115, 7, 1, 0}, {113, 7, 2, 0}, {199, 6, 1, 0},
                          {124, 6, 2, 0}, {1100, 0, 1, 0}, {116, 0, 1, 0}};
    CNICAdapter& a = Adapter();
    for (const Case& c : cases) {
        WLProfile p{};
        a.SiteToProfile(MakeSite("net", 1, c.code), p);
        EXPECT_EQ(p.EncryptionMethod, c.encryption) << c.code;
        EXPECT_EQ(p.WPAEncryptionType, c.wpaType) << c.code;
        EXPECT_EQ(p.WEPEncryptionLevel, c.wepLevel) << c.code;
        EXPECT_STREQ(p.Ssid1, "net");
        EXPECT_EQ(p.Channel, 6);
    }
}

TEST_F(AdapterSite, AdHocBandFollowsWhatTheAdapterAllows)
{
    struct Case {
        const char* settings;
        uint32_t networkType;
        int band;
    };
    const Case cases[] = {
        {"", 3, 3}, {"SupportMode=1\n", 3, 1},
        {"", 2, 2}, {"SupportMode=11\n", 2, 1}, // no 802.11a: the default band stays
        {"", 1, 1},
    };
    for (const Case& c : cases) {
        DestroyAdapter();
        WriteSettings(QByteArray("[Setting]\nProfRoot=EngineTest\n") + c.settings);
        TSSiteEntry site = MakeSite("cell", 1);
        site.NetworkMode = 0;
        site.NetworkType = c.networkType;
        WLProfile p{};
        Adapter().SiteToProfile(site, p);
        EXPECT_EQ(p.NetworkMode, 0);
        EXPECT_EQ(p.AdHocBand, c.band) << c.settings << c.networkType;
    }
}

TEST_F(AdapterSite, Ssid32BytesIsTerminated)
{
    TSSiteEntry site = MakeSite(std::string(32, 'S'), 1);
    WLProfile p{};
    Adapter().SiteToProfile(site, p);
    EXPECT_EQ(strlen(p.Ssid1), 32u);
}
