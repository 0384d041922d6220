#include "fakelib.h"
#include "engine/Ucumlib.h"

#include <QString>
#include <chrono>
#include <cstring>
#include <strings.h>
#include <thread>

namespace {

std::mutex g_Mutex;
FakeLibState* g_State = nullptr;
std::map<std::string, int> g_Calls;

// Counts the call and hands the state under the lock.
struct Locked {
    explicit Locked(const char* name) : lock(g_Mutex) { ++g_Calls[name]; }
    FakeLibState* operator->() const { return g_State; }
    FakeLibState& operator*() const { return *g_State; }
    std::unique_lock<std::mutex> lock;
};

bool SameName(const char* a, const char* b)
{
    return strcasecmp(a, b) == 0 ||
           QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

int32_t DevDetect(TSDevRecord* device)
{
    Locked s("TSRWL_DevDetect");
    strncpy(device->description, s->description.c_str(), sizeof device->description - 1);
    if (s->devDetectFailures > 0) {
        --s->devDetectFailures;
        return 0;
    }
    return 1;
}

int32_t QueryOID(uint32_t oid, void* buffer, uint32_t length, uint32_t* written)
{
    Locked s("TSRWL_QueryOID");
    if (oid == TSRWL_OID_MEDIA_CONNECT_STATUS && length == 4) {
        memcpy(buffer, &s->mediaState, 4);
    } else if (oid == TSRWL_OID_CURRENT_ADDRESS && length == 6) {
        memcpy(buffer, s->mac, 6);
    } else {
        return -1;
    }
    *written = length;
    return 0;
}

int32_t SetOID(uint32_t oid, const void* buffer, uint32_t length)
{
    Locked s("TSRWL_SetOID");
    if (oid == TSRWL_OID_ANTENNA && length == 1)
        s->antennaValues.push_back(*static_cast<const uint8_t*>(buffer));
    return 1;
}

int32_t SiteSurveyScan()
{
    Locked s("TSRWL_SiteSurveyScan");
    return 1;
}

int32_t SiteSurveyGet(void* buffer, uint32_t* size)
{
    Locked s("TSRWL_SiteSurveyGet");
    memcpy(buffer, &s->scan, std::min<size_t>(*size, sizeof s->scan));
    return 1;
}

int32_t FrequencyToChannel(int32_t frequency)
{
    return frequency >= 5000 ? (frequency - 5000) / 5 : (frequency - 2407) / 5;
}

int32_t GetWLANStatus(int32_t* repeat, WLANStatus* status)
{
    Locked s("TSRWL_GetWLANStatus");
    *repeat = 0;
    *status = s->status;
    status->MediaState = s->mediaState;
    return s->statusResult;
}

int32_t SetWLANStatus(int32_t* result, WLANStatus*)
{
    {
        Locked s("TSRWL_SetWLANStatus");
        *result = 0;
    }
    while (g_State->holdConnect)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::lock_guard lock(g_Mutex);
    return g_State->setStatusResult;
}

int32_t GetLastConnectError(char* text, int32_t size)
{
    Locked s("TSRWL_GetLastConnectError");
    if (text && size > 0)
        qstrncpy(text, "detail for the log", size_t(size));
    return s->connectError;
}

int32_t WLProfileToWLStatus(const WLProfile* profile, WLANStatus*)
{
    Locked s("TSRWL_WLProfileToWLStatus");
    s->appliedProfiles.push_back(profile->ProfileName);
    return 1;
}

int32_t GetWLProfile(const char* name, WLProfile* profile)
{
    Locked s("TSRWL_GetWLProfile");
    for (const WLProfile& p : s->profiles)
        if (SameName(p.ProfileName, name)) {
            *profile = p;
            return 1;
        }
    return 0;
}

int32_t SetWLProfile(const char* name, const WLProfile* profile)
{
    Locked s("TSRWL_SetWLProfile");
    for (WLProfile& p : s->profiles)
        if (SameName(p.ProfileName, name)) {
            p = *profile;
            return 1;
        }
    s->profiles.push_back(*profile);
    return 1;
}

int32_t EnumWLProfiles(int32_t index, char* name)
{
    Locked s("TSRWL_EnumWLProfiles");
    if (index < 0 || size_t(index) >= s->profiles.size())
        return 0;
    strcpy(name, s->profiles[size_t(index)].ProfileName);
    return 1;
}

int32_t DeleteWLProfile(const char* name)
{
    Locked s("TSRWL_DeleteWLProfile");
    std::erase_if(s->profiles, [&](const WLProfile& p) { return SameName(p.ProfileName, name); });
    return 1;
}

int32_t GetNetworkInfo(NetworkInfo* info)
{
    Locked s("TSRWL_GetNetworkInfo");
    *info = s->network;
    return s->networkResult;
}

int32_t SetNetworkInfo(const NetworkInfo* info)
{
    Locked s("TSRWL_SetNetworkInfo");
    s->network = *info;
    return 1;
}

int32_t GetWLANDriverPath(char* path)
{
    Locked s("TSRWL_GetWLANDriverPath");
    strncpy(path, s->driverPath.c_str(), 255);
    return 1;
}

int32_t SetWZCService(int32_t handOver)
{
    Locked s("TSRWL_Set_WZCService");
    s->wzcService = handOver ? 4 : 1;
    return 1;
}

int32_t GetWZCService()
{
    Locked s("TSRWL_Get_WZCService");
    return s->wzcService;
}

int32_t GetWLANDomain(char* domain)
{
    Locked s("TSRWL_GetWLANDomain");
    strncpy(domain, s->domain.c_str(), 255);
    return 1;
}

int32_t EnumCertificates(void** entries, int32_t)
{
    Locked s("TSRWL_EnumCertificates");
    *entries = s->certificates.data();
    return s->certificateCountOverride != INT32_MIN ? s->certificateCountOverride
                                                    : int32_t(s->certificates.size());
}

int32_t AnswerChannels(const std::map<int, std::vector<int32_t>>& table, int32_t* channels, int32_t band,
                       const char* domain)
{
    g_State->domainsAsked.push_back(domain);
    const auto it = table.find(band);
    if (it == table.end())
        return 0;
    std::copy(it->second.begin(), it->second.end(), channels);
    const auto forced = g_State->channelCountOverride.find(band);
    return forced != g_State->channelCountOverride.end() ? forced->second : int32_t(it->second.size());
}

int32_t GetAllowedChannel(int32_t* channels, int32_t band, const char* domain)
{
    Locked s("TSRWL_GetAllowedChannel");
    return AnswerChannels(s->channels, channels, band, domain);
}

int32_t GetAPAllowedChannel(int32_t* channels, int32_t band, const char* domain)
{
    Locked s("TSRWL_GetAPAllowedChannel");
    return AnswerChannels(s->apChannels, channels, band, domain);
}

int32_t IPRelease()
{
    Locked s("TSRWL_IPRelease");
    return 1;
}

int32_t IPRenew()
{
    Locked s("TSRWL_IPRenew");
    return 1;
}

int32_t GetAPStationList(void* buffer)
{
    Locked s("TSRWL_GetAPStationList");
    memcpy(buffer, &s->stations, sizeof s->stations);
    return 1;
}

} // namespace

namespace fakelib {

void Install()
{
    {
        std::lock_guard lock(g_Mutex);
        delete g_State;
        g_State = new FakeLibState;
        g_Calls.clear();
    }
    CTSLib& lib = g_TSLib;
    lib.TSRWL_DevDetect = DevDetect;
    lib.TSRWL_QueryOID = QueryOID;
    lib.TSRWL_SetOID = SetOID;
    lib.TSRWL_SiteSurveyScan = SiteSurveyScan;
    lib.TSRWL_SiteSurveyGet = SiteSurveyGet;
    lib.TSRWL_FrequencyToChannel = FrequencyToChannel;
    lib.TSRWL_GetWLANStatus = GetWLANStatus;
    lib.TSRWL_SetWLANStatus = SetWLANStatus;
    lib.TSRWL_WLProfileToWLStatus = WLProfileToWLStatus;
    lib.TSRWL_GetWLProfile = GetWLProfile;
    lib.TSRWL_SetWLProfile = SetWLProfile;
    lib.TSRWL_EnumWLProfiles = EnumWLProfiles;
    lib.TSRWL_DeleteWLProfile = DeleteWLProfile;
    lib.TSRWL_GetNetworkInfo = GetNetworkInfo;
    lib.TSRWL_SetNetworkInfo = SetNetworkInfo;
    lib.TSRWL_GetWLANDriverPath = GetWLANDriverPath;
    lib.TSRWL_Set_WZCService = SetWZCService;
    lib.TSRWL_Get_WZCService = GetWZCService;
    lib.TSRWL_GetWLANDomain = GetWLANDomain;
    lib.TSRWL_EnumCertificates = EnumCertificates;
    lib.TSRWL_GetAllowedChannel = GetAllowedChannel;
    lib.TSRWL_GetAPAllowedChannel = GetAPAllowedChannel;
    lib.TSRWL_IPRelease = IPRelease;
    lib.TSRWL_IPRenew = IPRenew;
    lib.TSRWL_GetAPStationList = GetAPStationList;
    lib.TSRWL_GetLastConnectError = nullptr;
    lib.SynchEvent.Set();
}

void BindConnectError()
{
    g_TSLib.TSRWL_GetLastConnectError = GetLastConnectError;
}

void Uninstall()
{
    g_TSLib.Unload();
}

void With(const std::function<void(FakeLibState&)>& change)
{
    std::lock_guard lock(g_Mutex);
    change(*g_State);
}

int Calls(const std::string& name)
{
    std::lock_guard lock(g_Mutex);
    const auto it = g_Calls.find(name);
    return it == g_Calls.end() ? 0 : it->second;
}

void ResetCalls()
{
    std::lock_guard lock(g_Mutex);
    g_Calls.clear();
}

WLProfile MakeProfile(const std::string& name, int funcMode, const std::string& ssid)
{
    WLProfile p{};
    p.FuncMode = funcMode;
    strncpy(p.ProfileName, name.c_str(), sizeof p.ProfileName - 1);
    strncpy(p.Ssid1, ssid.c_str(), sizeof p.Ssid1 - 1);
    p.NetworkMode = 1;
    return p;
}

TSSiteEntry MakeSite(const std::string& ssid, uint8_t lastMacByte, uint32_t security)
{
    TSSiteEntry e{};
    e.Length = sizeof e;
    e.Bssid[0] = 0x02;
    e.Bssid[5] = lastMacByte;
    e.SsidLength = uint32_t(ssid.size());
    memcpy(e.Ssid, ssid.data(), std::min<size_t>(ssid.size(), sizeof e.Ssid));
    e.Security = security;
    e.NetworkType = 3;
    e.Frequency = 2437;
    e.NetworkMode = 1;
    return e;
}

} // namespace fakelib
