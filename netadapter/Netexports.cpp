// The C interface over the network manager and nl80211. Each function checks its arguments and works under
// one lock; no call waits longer than a connect's bounded wait, or than a person needs to answer a password
// prompt for a change (the program calls the library off its window thread).
#include "Netadapter.h"
#include "Netcerts.h"
#include "Netsettings.h"
#include "adaptercore/Corechannels.h"
#include "adaptercore/Coreexporthelp.h"
#include "adaptercore/Corepaths.h"
#include "adaptercore/Coreprofilestore.h"

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
    Library() { CoreSetLogTag("tsrwl-net"); }
    // The end of the program (or of the library) gives a device it took back its own autoconnect. A call
    // still running in a thread the program gave up on keeps the lock: then the record on disk serves the
    // next start rather than the exit waiting for that call.
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

// Runs `call` on the library under its lock, once every pointer in `required` is there.
template <typename Call, typename... Args> int32_t WithLibrary(const Call& call, const Args*... required)
{
    Library& lib = Lib();
    return CallLocked(
        lib.lock, [&] { return call(lib); }, required...);
}

CCoreProfileStore Store(const Library& lib)
{
    return CCoreProfileStore(ProfileBase(), lib.profileDir);
}

int32_t FillAllowedChannels(Library& lib, int32_t* channels, int32_t band, const char* domain, bool startable)
{
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

int32_t AllowedChannelList(int32_t* channels, int32_t band, const char* domain, bool startable)
{
    return WithLibrary(
        [=](Library& lib) { return FillAllowedChannels(lib, channels, band, domain, startable); }, channels);
}

int32_t KeepNetworkInfo(Library& lib, const NetworkInfo& info)
{
    if (!lib.adapter.SetNetworkInfo(info))
        return kFail;
    const std::string name(info.sz_CurProfile, strnlen(info.sz_CurProfile, sizeof info.sz_CurProfile));
    const CCoreProfileStore store = Store(lib);
    WLProfile stored{};
    if (!CCoreProfileStore::IsUsableName(name) || !store.Load(name, &stored, sizeof stored))
        return TSRWL_OK;
    stored.ApplyNetwork = 1;
    stored.NetInfo = info;
    return store.Save(name, &stored, sizeof stored) ? TSRWL_OK : kFail;
}

// The object-id queries the manager can answer.
int32_t AnswerQuery(Library& lib, uint32_t oid, void* buffer, uint32_t length, uint32_t* written)
{
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
    CoreLogOnce(std::string(what) + " is not supported on this system's network manager");
}

} // namespace

TSRWL_EXPORT int32_t TSRWL_Initial(const char*, int32_t)
{
    Lib();
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_DevDetect(TSDevRecord* device)
{
    return WithLibrary(
        [device](Library& lib) {
            std::string description;
            if (!lib.adapter.Detect(std::string(device->hwId, strnlen(device->hwId, sizeof device->hwId)),
                                    description))
                return kFail;
            CopyOut(reinterpret_cast<char*>(device->libraryData), sizeof device->libraryData,
                    lib.adapter.DevicePath());
            CopyOut(device->description, sizeof device->description, description);
            return TSRWL_OK;
        },
        device);
}

TSRWL_EXPORT int32_t TSRWL_QueryOID(uint32_t oid, void* buffer, uint32_t length, uint32_t* written)
{
    if (!buffer)
        return int32_t(kNdisFailure);
    return WithLibrary([=](Library& lib) { return AnswerQuery(lib, oid, buffer, length, written); });
}

TSRWL_EXPORT int32_t TSRWL_SetOID(uint32_t oid, const void*, uint32_t)
{
    if (oid == TSRWL_OID_ANTENNA)
        NotSupported("antenna selection");
    return int32_t(kNdisNotSupported);
}

TSRWL_EXPORT int32_t TSRWL_SiteSurveyScan(void)
{
    return WithLibrary([](Library& lib) { return lib.adapter.StartScan() ? TSRWL_OK : kFail; });
}

TSRWL_EXPORT int32_t TSRWL_SiteSurveyGet(void* buffer, uint32_t* size)
{
    if (size && *size < sizeof(uint32_t))
        return kFail;
    return WithLibrary(
        [=](Library& lib) { return FillSurveyBuffer(lib.adapter.ScanResults(), buffer, size); }, buffer,
        size);
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
    return WithLibrary([status](Library& lib) { return lib.adapter.FillStatus(*status) ? TSRWL_OK : kFail; },
                       status);
}

TSRWL_EXPORT int32_t TSRWL_WLProfileToWLStatus(const WLProfile* profile, WLANStatus* status)
{
    if (!profile || !status)
        return kFail;
    const uint32_t id = uint32_t(WithLibrary([profile](Library& lib) {
        const uint32_t kept = lib.nextRequest++;
        lib.requests.emplace_back(kept, *profile);
        if (lib.requests.size() > kKeptRequests)
            lib.requests.pop_front();
        return int32_t(kept);
    }));
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
    const bool ours = status && memcmp(status->reserved5, kRequestMagic, sizeof kRequestMagic) == 0;
    uint32_t id = 0;
    if (ours)
        memcpy(&id, status->reserved5 + sizeof kRequestMagic, sizeof id);
    const bool ok = ours && WithLibrary([id](Library& lib) {
                                for (const auto& [kept, profile] : lib.requests)
                                    if (kept == id)
                                        return lib.adapter.Connect(profile) ? TSRWL_OK : kFail;
                                return kFail;
                            }) == TSRWL_OK;
    if (result)
        *result = ok ? 0 : 1;
    return ok ? TSRWL_OK : kFail;
}

TSRWL_EXPORT int32_t TSRWL_SetWLProfileDir(const char* directoryName)
{
    std::string name;
    if (!TextArg(directoryName, 128, name) || name.empty())
        return kFail;
    return WithLibrary([&name](Library& lib) {
        lib.profileDir = name;
        return TSRWL_OK;
    });
}

TSRWL_EXPORT int32_t TSRWL_GetWLProfile(const char* name, WLProfile* profile)
{
    return WithLibrary([=](Library& lib) { return GetStoredProfile(Store(lib), name, profile); });
}

TSRWL_EXPORT int32_t TSRWL_SetWLProfile(const char* name, const WLProfile* profile)
{
    return WithLibrary([=](Library& lib) {
        const int32_t r = SetStoredProfile(Store(lib), name, profile);
        if (r == TSRWL_OK)
            lib.adapter.ForgetNetworkInfo(name);
        return r;
    });
}

TSRWL_EXPORT int32_t TSRWL_EnumWLProfiles(int32_t index, char* name)
{
    return WithLibrary([=](Library& lib) { return EnumStoredProfiles(Store(lib), index, name); });
}

TSRWL_EXPORT int32_t TSRWL_DeleteWLProfile(const char* name)
{
    return WithLibrary([name](Library& lib) {
        const int32_t r = DeleteStoredProfile(Store(lib), name);
        if (r == TSRWL_OK)
            lib.adapter.ForgetNetworkInfo(name);
        return r;
    });
}

TSRWL_EXPORT int32_t TSRWL_GetNetworkInfo(NetworkInfo* info)
{
    return WithLibrary(
        [info](Library& lib) {
            memset(info, 0, sizeof *info);
            return lib.adapter.FillNetworkInfo(*info) ? TSRWL_OK : kFail;
        },
        info);
}

// The settings belong to the profile the record names: kept for its connects and, where the profile is
// stored, written into it, so that they are still there after a restart.
TSRWL_EXPORT int32_t TSRWL_SetNetworkInfo(const NetworkInfo* info)
{
    return WithLibrary([info](Library& lib) { return KeepNetworkInfo(lib, *info); }, info);
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
    return WithLibrary(
        [path](Library& lib) {
            const std::string file = lib.adapter.DriverFile();
            CopyOut(path, 256, file);
            return file.empty() ? kFail : TSRWL_OK;
        },
        path);
}

TSRWL_EXPORT int32_t TSRWL_Set_WZCService(int32_t handOver)
{
    return WithLibrary(
        [handOver](Library& lib) { return lib.adapter.HandOver(handOver != 0) ? TSRWL_OK : kFail; });
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
    return WithLibrary([](Library& lib) { return lib.adapter.HandedOver() ? kRunning : kStopped; });
}

TSRWL_EXPORT int32_t TSRWL_PassphraseToWEPKey(const char* passphrase, int32_t keySizeCode, void* keySet)
{
    return PassphraseKeySet(passphrase, keySizeCode, keySet);
}

TSRWL_EXPORT int32_t TSRWL_GetWLANDomain(char* domain)
{
    return WithLibrary(
        [domain](const Library&) {
            const auto alpha2 = NetRadio::RegDomain();
            CopyOut(domain, 256, !alpha2 || *alpha2 == "00" ? std::string("WORLD") : *alpha2);
            return alpha2 ? TSRWL_OK : kFail;
        },
        domain);
}

TSRWL_EXPORT int32_t TSRWL_Disconnect(void)
{
    return WithLibrary([](Library& lib) { return lib.adapter.Disconnect() ? TSRWL_OK : kFail; });
}

TSRWL_EXPORT int32_t TSRWL_EnumCertificates(void** entries, int32_t kind)
{
    if (kind != TSRWL_CERT_KIND_USER && kind != TSRWL_CERT_KIND_ROOT)
        return 0;
    const bool user = kind == TSRWL_CERT_KIND_USER;
    return WithLibrary(
        [user, entries](Library& lib) {
            std::vector<std::pair<std::string, std::string>> certificates;
            for (const NetCertificate& c : ListCertificates(user ? UserCertDir() : AuthorityCertDir()))
                certificates.emplace_back(c.name, c.issuer);
            return HandOutCertificates(certificates, lib.certificates[user ? 0 : 1], entries);
        },
        entries);
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
    return WithLibrary([=](Library& lib) {
        const NetConnectError& error = lib.adapter.LastConnectError();
        if (text && size > 0)
            CopyOutWhole(text, size_t(size), error.detail);
        return error.code;
    });
}

TSRWL_EXPORT int32_t TSRWL_GetServiceState(void)
{
    return WithLibrary([](Library& lib) { return lib.bus.ServiceState(); });
}

TSRWL_EXPORT int32_t TSRWL_GetAPStationList(void* buffer)
{
    return WithLibrary(
        [buffer](Library& lib) {
            FillStationList(lib.adapter.Stations(), buffer);
            return TSRWL_OK;
        },
        buffer);
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
TSRWL_CHECK_SIGNATURE(TSRWL_GetServiceState, int32_t, (void))
