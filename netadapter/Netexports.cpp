// The C interface over the network manager and nl80211. Each function checks its arguments and works under
// one lock; no call waits longer than a connect's bounded wait, or than a person needs to answer a password
// prompt for a change (the program calls the library off its window thread).
#include "Netadapter.h"
#include "Netcerts.h"
#include "Netsettings.h"
#include "simulator/Simchannels.h"
#include "simulator/Simexporthelp.h"
#include "simulator/Simpaths.h"
#include "simulator/Simprofilestore.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>

namespace {

constexpr int32_t kFail = kTsrwlFail;
// Profiles converted for a connect, found again by the number TSRWL_WLProfileToWLStatus leaves in the record.
constexpr size_t kKeptRequests = 4;
const char kRequestMagic[8] = {'T', 'S', 'R', 'W', 'L', 'N', 'M', '1'};

std::string ProfileBase();

struct Library {
    Library() { SimSetLogTag("tsrwl-net"); }
    // The end of the program (or of the library) gives a device it took back its own autoconnect. A call still
    // running in a thread the program gave up on keeps the lock: then the record on disk serves the next start
    // rather than the exit waiting for that call.
    ~Library()
    {
        const std::unique_lock guard(lock, std::try_to_lock);
        if (guard)
            adapter.HandBack();
    }
    std::mutex lock;
    CNetBus bus;
    CNetAdapter adapter{bus, ProfileBase() + "/autoconnect.taken"};
    std::string profileDir = "default";
    std::deque<std::pair<uint32_t, WLProfile>> requests;
    uint32_t nextRequest = 1;
    std::vector<TSCertEntry> certificates[2]; // user, authority: owned here, handed out by address
};

Library& Lib()
{
    static Library library;
    return library;
}

std::string ProfileBase()
{
    const char* base = getenv("TSRWL_NET_PROFILES");
    if (base && *base)
        return base;
    const char* data = getenv("XDG_DATA_HOME");
    const char* home = getenv("HOME");
    return (data && *data ? std::string(data) : std::string(home ? home : "") + "/.local/share") +
           "/tsrwl-net";
}

CSimProfileStore Store()
{
    return CSimProfileStore(ProfileBase(), Lib().profileDir);
}

int32_t AllowedChannelList(int32_t* channels, int32_t band, const char* domain, bool startable)
{
    if (!channels)
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    std::vector<int> list;
    const auto frequencies =
        lib.adapter.Present() ? NetRadio::Frequencies(lib.adapter.Interface()) : std::nullopt;
    if (frequencies) {
        list = ChannelsOf(*frequencies, band, startable);
    } else {
        // Without the radio's own list, the domain's rules stand in.
        std::string domainText;
        if (!TextArg(domain, 63, domainText) || domainText.empty())
            domainText = NetRadio::RegDomain().value_or("00");
        list = AllowedChannels(domainText, band, startable);
    }
    for (size_t i = 0; i < list.size(); ++i)
        channels[i] = list[i];
    return int32_t(list.size());
}

// Cut where a character begins, never inside a multi-byte one.
void CopyOutWhole(char* to, size_t size, const std::string& text)
{
    size_t n = std::min(text.size(), size - 1);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    CopyOut(to, n + 1, text);
}

void NotSupported(const char* what)
{
    SimLogOnce(std::string(what) + " is not supported on this system's network manager");
}

} // namespace

TSRWL_EXPORT int32_t TSRWL_Initial(const char*, int32_t)
{
    Lib();
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_DevDetect(TSDevRecord* device)
{
    if (!device)
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    std::string description;
    if (!lib.adapter.Detect(std::string(device->hwId, strnlen(device->hwId, sizeof device->hwId)),
                            description))
        return kFail;
    CopyOut(reinterpret_cast<char*>(device->libraryData), sizeof device->libraryData,
            lib.adapter.DevicePath());
    CopyOut(device->description, sizeof device->description, description);
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_QueryOID(uint32_t oid, void* buffer, uint32_t length, uint32_t* written)
{
    if (!buffer)
        return int32_t(kNdisFailure);
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    uint32_t size = 0;
    uint8_t value[6] = {};
    if (oid == TSRWL_OID_MEDIA_CONNECT_STATUS) {
        const uint32_t media = lib.adapter.MediaState();
        if (!lib.adapter.Present())
            return int32_t(kNdisFailure);
        memcpy(value, &media, size = 4);
    } else if (oid == TSRWL_OID_CURRENT_ADDRESS || oid == kOidPermanentAddress) {
        const auto mac = lib.adapter.Mac();
        if (!mac)
            return int32_t(kNdisFailure);
        memcpy(value, mac->data(), size = 6);
    } else if (oid == kOidRssi) {
        WLANStatus status{};
        lib.adapter.FillStatus(status);
        memcpy(value, &status.Rssi, size = 4);
    } else {
        return int32_t(kNdisNotSupported);
    }
    return AnswerOid(value, size, buffer, length, written);
}

TSRWL_EXPORT int32_t TSRWL_SetOID(uint32_t oid, const void*, uint32_t)
{
    if (oid == TSRWL_OID_ANTENNA)
        NotSupported("antenna selection");
    return int32_t(kNdisNotSupported);
}

TSRWL_EXPORT int32_t TSRWL_SiteSurveyScan(void)
{
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    return lib.adapter.StartScan() ? TSRWL_OK : kFail;
}

TSRWL_EXPORT int32_t TSRWL_SiteSurveyGet(void* buffer, uint32_t* size)
{
    if (!buffer || !size || *size < sizeof(uint32_t))
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    return FillSurveyBuffer(lib.adapter.ScanResults(), buffer, size);
}

TSRWL_EXPORT int32_t TSRWL_ChannelToFrequency(int32_t channel)
{
    return ChannelToMHz(channel, channel > 14 ? BandA : BandB) * 1000;
}

TSRWL_EXPORT int32_t TSRWL_FrequencyToChannel(int32_t frequency)
{
    return FrequencyToChannelNumber(frequency);
}

TSRWL_EXPORT int32_t TSRWL_GetWLANStatus(int32_t* repeat, WLANStatus* status)
{
    if (repeat)
        *repeat = 0;
    if (!status)
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    return lib.adapter.FillStatus(*status) ? TSRWL_OK : kFail;
}

TSRWL_EXPORT int32_t TSRWL_WLProfileToWLStatus(const WLProfile* profile, WLANStatus* status)
{
    if (!profile || !status)
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    const uint32_t id = lib.nextRequest++;
    lib.requests.emplace_back(id, *profile);
    if (lib.requests.size() > kKeptRequests)
        lib.requests.pop_front();
    const size_t ssidLength = strnlen(profile->Ssid1, TSRWL_SSID_MAX);
    status->SsidLength = uint32_t(ssidLength);
    memset(status->Ssid, 0, sizeof status->Ssid);
    memcpy(status->Ssid, profile->Ssid1, ssidLength);
    status->NetworkType = profile->NetworkMode == 1 ? 1 : 0;
    status->Encryption = uint32_t(profile->EncryptionMethod);
    status->AuthMode = uint32_t(profile->AuthenticationMode);
    status->MediaState = 1;
    memcpy(status->reserved5, kRequestMagic, sizeof kRequestMagic);
    memcpy(status->reserved5 + sizeof kRequestMagic, &id, sizeof id);
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_SetWLANStatus(int32_t* result, WLANStatus* status)
{
    bool ok = false;
    if (status && memcmp(status->reserved5, kRequestMagic, sizeof kRequestMagic) == 0) {
        uint32_t id = 0;
        memcpy(&id, status->reserved5 + sizeof kRequestMagic, sizeof id);
        Library& lib = Lib();
        const std::lock_guard guard(lib.lock);
        for (const auto& [kept, profile] : lib.requests)
            if (kept == id)
                ok = lib.adapter.Connect(profile);
    }
    if (result)
        *result = ok ? 0 : 1;
    return ok ? TSRWL_OK : kFail;
}

TSRWL_EXPORT int32_t TSRWL_SetWLProfileDir(const char* directoryName)
{
    std::string name;
    if (!TextArg(directoryName, 128, name) || name.empty())
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    lib.profileDir = name;
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_GetWLProfile(const char* name, WLProfile* profile)
{
    const std::lock_guard guard(Lib().lock);
    return GetStoredProfile(Store(), name, profile);
}

TSRWL_EXPORT int32_t TSRWL_SetWLProfile(const char* name, const WLProfile* profile)
{
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    const int32_t r = SetStoredProfile(Store(), name, profile);
    if (r == TSRWL_OK)
        lib.adapter.ForgetNetworkInfo(name);
    return r;
}

TSRWL_EXPORT int32_t TSRWL_EnumWLProfiles(int32_t index, char* name)
{
    const std::lock_guard guard(Lib().lock);
    return EnumStoredProfiles(Store(), index, name);
}

TSRWL_EXPORT int32_t TSRWL_DeleteWLProfile(const char* name)
{
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    const int32_t r = DeleteStoredProfile(Store(), name);
    if (r == TSRWL_OK)
        lib.adapter.ForgetNetworkInfo(name);
    return r;
}

TSRWL_EXPORT int32_t TSRWL_GetNetworkInfo(NetworkInfo* info)
{
    if (!info)
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    memset(info, 0, sizeof *info);
    return lib.adapter.FillNetworkInfo(*info) ? TSRWL_OK : kFail;
}

// The settings belong to the profile the record names: kept for its connects and, where the profile is stored,
// written into it, so that they are still there after a restart.
TSRWL_EXPORT int32_t TSRWL_SetNetworkInfo(const NetworkInfo* info)
{
    if (!info)
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    if (!lib.adapter.SetNetworkInfo(*info))
        return kFail;
    const std::string name(info->sz_CurProfile, strnlen(info->sz_CurProfile, sizeof info->sz_CurProfile));
    const CSimProfileStore store = Store();
    WLProfile stored{};
    if (!CSimProfileStore::IsUsableName(name) || !store.Load(name, &stored, sizeof stored))
        return TSRWL_OK;
    stored.ApplyNetwork = 1;
    stored.NetInfo = *info;
    return store.Save(name, &stored, sizeof stored) ? TSRWL_OK : kFail;
}

TSRWL_EXPORT int32_t TSRWL_StrToIPData(const char* text, void* ipData)
{
    std::string address;
    uint8_t ip[TSRWL_IP_SIZE] = {};
    if (!ipData || !TextArg(text, 15, address) || !IpBytes(address, ip))
        return kFail;
    memcpy(ipData, ip, sizeof ip);
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_IPDataToStr(const void* ipData, char* text)
{
    if (!ipData || !text)
        return kFail;
    uint8_t ip[TSRWL_IP_SIZE] = {};
    memcpy(ip, ipData, sizeof ip);
    CopyOut(text, 16, IpText(ip));
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_GetWLANDriverPath(char* path)
{
    if (!path)
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    const std::string file = lib.adapter.DriverFile();
    CopyOut(path, 256, file);
    return file.empty() ? kFail : TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_Set_WZCService(int32_t handOver)
{
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    return lib.adapter.HandOver(handOver != 0) ? TSRWL_OK : kFail;
}

// 1: the program starts with the device left to the manager until the user agrees to take it (a user who
// took it before has that choice in the program's settings).
TSRWL_EXPORT int32_t TSRWL_Get_ZeroConfig(void)
{
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_Get_WZCService(void)
{
    constexpr int32_t kRunning = 4, kStopped = 1;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    return lib.adapter.HandedOver() ? kRunning : kStopped;
}

TSRWL_EXPORT int32_t TSRWL_PassphraseToWEPKey(const char* passphrase, int32_t keySizeCode, void* keySet)
{
    return PassphraseKeySet(passphrase, keySizeCode, keySet);
}

TSRWL_EXPORT int32_t TSRWL_GetWLANDomain(char* domain)
{
    if (!domain)
        return kFail;
    const std::lock_guard guard(Lib().lock);
    const auto alpha2 = NetRadio::RegDomain();
    CopyOut(domain, 256, !alpha2 || *alpha2 == "00" ? std::string("WORLD") : *alpha2);
    return alpha2 ? TSRWL_OK : kFail;
}

TSRWL_EXPORT int32_t TSRWL_Disconnect(void)
{
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    return lib.adapter.Disconnect() ? TSRWL_OK : kFail;
}

TSRWL_EXPORT int32_t TSRWL_EnumCertificates(void** entries, int32_t kind)
{
    if (!entries || (kind != TSRWL_CERT_KIND_USER && kind != TSRWL_CERT_KIND_ROOT))
        return 0;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    std::vector<std::pair<std::string, std::string>> certificates;
    for (const NetCertificate& c :
         ListCertificates(kind == TSRWL_CERT_KIND_USER ? UserCertDir() : AuthorityCertDir()))
        certificates.emplace_back(c.name, c.issuer);
    return HandOutCertificates(certificates, lib.certificates[kind == TSRWL_CERT_KIND_USER ? 0 : 1], entries);
}

TSRWL_EXPORT int32_t TSRWL_GetAllowedChannel(int32_t* channels, int32_t band, const char* domain)
{
    return AllowedChannelList(channels, band, domain, false);
}

TSRWL_EXPORT int32_t TSRWL_GetAPAllowedChannel(int32_t* channels, int32_t band, const char* domain)
{
    return AllowedChannelList(channels, band, domain, true);
}

TSRWL_EXPORT int32_t TSRWL_IPRelease(void)
{
    // The manager has no release without ending the link; the renewal that follows asks for a new lease.
    NotSupported("releasing the address alone");
    return kFail;
}

TSRWL_EXPORT int32_t TSRWL_IPRenew(void)
{
    // Activating the connection again would renew the lease only at the cost of a new association and login;
    // the manager renews leases on its own, so the link is left as it is.
    NotSupported("renewing the address lease on request");
    return kFail;
}

TSRWL_EXPORT int32_t TSRWL_GetLastConnectError(char* text, int32_t size)
{
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    const NetConnectError& error = lib.adapter.LastConnectError();
    if (text && size > 0)
        CopyOutWhole(text, size_t(size), error.detail);
    return error.code;
}

TSRWL_EXPORT int32_t TSRWL_GetAPStationList(void* buffer)
{
    if (!buffer)
        return kFail;
    Library& lib = Lib();
    const std::lock_guard guard(lib.lock);
    FillStationList(lib.adapter.Stations(), buffer);
    return TSRWL_OK;
}

// The rest has no counterpart in the network manager: each refuses, and says so once.
#define TSRWL_REFUSED(name, what, args)                                                                      \
    TSRWL_EXPORT int32_t name args                                                                           \
    {                                                                                                        \
        NotSupported(what);                                                                                  \
        return kFail;                                                                                        \
    }
TSRWL_REFUSED(TSRWL_EnumAvailableDevice, "listing devices by index", (void*, int32_t*))
TSRWL_REFUSED(TSRWL_RegExportProfile, "exporting profiles", (const char*))
TSRWL_REFUSED(TSRWL_RegImportProfile, "importing profiles", (const char*))
TSRWL_REFUSED(TSRWL_Set_ZeroConfig, "the zero-configuration switch", (int32_t))
TSRWL_REFUSED(TSRWL_SetWLANDomain, "setting the regulatory domain", (const char*))
TSRWL_REFUSED(TSRWL_GetCurrentProfile, "reading the current profile back", (WLProfile*))
TSRWL_REFUSED(TSRWL_EnableDevice, "switching the device on or off", (int32_t))
TSRWL_REFUSED(TSRWL_SendUCharToDev, "raw device commands", (uint8_t))
TSRWL_REFUSED(TSRWL_GetUSBType, "the USB type", (void))
TSRWL_REFUSED(TSRWL_GetGinUSB11, "the USB 1.1 switch", (void))
TSRWL_REFUSED(TSRWL_SetGinUSB11, "the USB 1.1 switch", (int32_t))
TSRWL_REFUSED(TSRWL_GetAPFilterMode, "the access point's MAC filter", (void))
TSRWL_REFUSED(TSRWL_SetAPFilterMode, "the access point's MAC filter", (int32_t))
TSRWL_REFUSED(TSRWL_GetAPFilterList, "the access point's MAC filter", (void*))
TSRWL_REFUSED(TSRWL_SetAPFilterList, "the access point's MAC filter", (const void*))
#undef TSRWL_REFUSED

TSRWL_FUNCTIONS(TSRWL_CHECK_SIGNATURE)
TSRWL_CHECK_SIGNATURE(TSRWL_GetLastConnectError, int32_t, (char*, int32_t))
