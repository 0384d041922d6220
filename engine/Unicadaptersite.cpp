// Site survey, Soft AP station list, certificates and profiles made from scanned networks.
#include "Unicadapter.h"
#include "Ucumlib.h"
#include "app/Udebug.h"
#include "app/Ulabels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// More certificate entries than any store holds means the library answered garbage.
constexpr int MAX_CERTIFICATES = 4096;

bool IsZeroMac(const uint8_t* mac)
{
    return std::all_of(mac, mac + TSRWL_MAC_SIZE, [](uint8_t b) { return b == 0; });
}

bool SameNetwork(const TSSiteEntry& a, const TSSiteEntry& b)
{
    return a.SsidLength == b.SsidLength && memcmp(a.Ssid, b.Ssid, a.SsidLength) == 0 &&
           memcmp(a.Bssid, b.Bssid, TSRWL_MAC_SIZE) == 0;
}

bool IsListable(const TSSiteEntry& entry)
{
    return entry.SsidLength > 0 && entry.SsidLength <= TSRWL_SSID_MAX && entry.Ssid[0] != 0 &&
           !IsZeroMac(entry.Bssid);
}

struct SecuritySetting {
    int encryption;
    int wpaType;  // 0 = left as it is
    int wepLevel; // -1 = left as it is
};

SecuritySetting SecurityOf(uint32_t code)
{
    struct Row {
        std::vector<uint32_t> codes;
        SecuritySetting setting;
    };
    static const Row rows[] = {
        {{1}, {1, 0, 1}},
        {{10, 11, 12, 15, 1010, 1011, 1012, 1015}, {3, 1, -1}},
        {{13, 14, 1013, 1014}, {3, 2, -1}},
        {{20, 21, 22, 25, 99, 1020, 1021, 1022, 1025, 1099}, {2, 1, -1}},
        {{23, 24, 1023, 1024}, {2, 2, -1}},
        {{110, 111, 112, 115}, {7, 1, -1}},
        {{113, 114}, {7, 2, -1}},
        {{120, 121, 122, 125, 199}, {6, 1, -1}},
        {{123, 124}, {6, 2, -1}},
    };
    for (const Row& row : rows)
        if (std::find(row.codes.begin(), row.codes.end(), code) != row.codes.end())
            return row.setting;
    return {0, 0, 0};
}

} // namespace

void CNICAdapter::StartSiteSurvey()
{
    CTSLibLock lock(m_Stop);
    if (lock)
        g_TSLib.TSRWL_SiteSurveyScan();
}

void CNICAdapter::GetSiteList(TSiteList& list)
{
    auto buffer = std::make_unique<TSSiteSurveyBuffer>();
    uint32_t size = sizeof *buffer;
    {
        CTSLibLock lock(m_Stop);
        if (!lock)
            return;
        g_TSLib.TSRWL_SiteSurveyGet(buffer.get(), &size);
    }
    const uint32_t count = std::min<uint32_t>(buffer->Count, TSRWL_SITE_ENTRY_MAX);
    for (uint32_t i = 0; i < count; ++i) {
        const TSSiteEntry& entry = buffer->Entries[i];
        if (!IsListable(entry))
            continue;
        if (std::any_of(list.begin(), list.end(),
                        [&](const TSSiteEntry& e) { return SameNetwork(e, entry); }))
            continue;
        list.push_back(entry);
    }
}

void CNICAdapter::GetStationList(TStationList& list)
{
    auto buffer = std::make_unique<TSStationList>();
    {
        CTSLibLock lock(m_Stop);
        if (!lock)
            return;
        g_TSLib.TSRWL_GetAPStationList(buffer.get());
    }
    for (const auto& mac : buffer->Mac) {
        if (IsZeroMac(mac))
            break;
        TMacAddress address;
        std::copy(std::begin(mac), std::end(mac), address.begin());
        list.push_back(address);
    }
}

void CNICAdapter::GetCertificateList(TCertList& list, int kind)
{
    DebugPrint("CNICAdapter::GetCertificateList()");
    void* entries = nullptr;
    int count;
    {
        CTSLibLock lock(m_Stop);
        if (!lock)
            return;
        count = g_TSLib.TSRWL_EnumCertificates(&entries, kind);
    }
    if (count <= 0 || !entries)
        return;
    if (count > MAX_CERTIFICATES) {
        DebugPrint("CNICAdapter::GetCertificateList() %d entries ignored", count);
        return;
    }
    const auto* first = static_cast<const TSCertEntry*>(entries);
    for (int i = 0; i < count; ++i) {
        TSCertEntry entry = first[i];
        entry.Name[sizeof entry.Name - 1] = '\0';
        entry.Issuer[sizeof entry.Issuer - 1] = '\0';
        list.push_back(entry);
    }
}

void CNICAdapter::SiteToProfile(const TSSiteEntry& entry, WLProfile& out)
{
    out = m_DefProf;
    const uint32_t length = std::min<uint32_t>(entry.SsidLength, TSRWL_SSID_MAX);
    memset(out.Ssid1, 0, sizeof out.Ssid1);
    memcpy(out.Ssid1, entry.Ssid, length);
    out.NetworkMode = int32_t(entry.NetworkMode);
    out.Channel = g_TSLib.TSRWL_FrequencyToChannel(int32_t(entry.Frequency));
    out.ABGMode = m_SupportMode;
    if (out.NetworkMode != 1) {
        const uint32_t usable = GetUsableAdHocBand(m_SupportMode);
        if (entry.NetworkType == 1 && (usable & BAND_B))
            out.AdHocBand = 1;
        else if (entry.NetworkType == 2 && (usable & BAND_A))
            out.AdHocBand = 2;
        else if (entry.NetworkType == 3 && (usable & BAND_G))
            out.AdHocBand = 3;
        else if (entry.NetworkType == 3 && (usable & BAND_B))
            out.AdHocBand = 1;
    }
    const SecuritySetting security = SecurityOf(entry.Security);
    out.EncryptionMethod = security.encryption;
    if (security.wpaType)
        out.WPAEncryptionType = security.wpaType;
    if (security.wepLevel >= 0)
        out.WEPEncryptionLevel = security.wepLevel;
}
