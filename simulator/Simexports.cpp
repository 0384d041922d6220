// The C interface of the simulated adapter. Each function checks its arguments, then asks a CSimAdapter made
// for this moment; nothing here trusts a pointer or a text length it was given.
#include "Simadapter.h"
#include "Simdevevent.h"
#include "Simpaths.h"
#include "adaptercore/Corechannels.h"
#include "adaptercore/Coreexporthelp.h"
#include "adaptercore/Coreprofilestore.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

constexpr int32_t kFail = kTsrwlFail;

std::mutex g_lock;
std::string g_profileDir = "default";
std::vector<TSCertEntry> g_certificates[2]; // user, authority: owned here, handed out by address

CSimAdapter Now()
{
    return CSimAdapter(CurrentScenario(), StatePath(), NowMs());
}

// A call made slow with tsrwl-simctl takes its time outside the library's own lock, as a driver would.
void TakeTime(int SimState::*delay)
{
    int ms;
    {
        const std::lock_guard guard(g_lock);
        ms = Now().State().*delay;
    }
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 600000)));
}

// Runs `action` on the adapter of this moment; an unplugged adapter does nothing and fails.
template <typename Action> int32_t WithPluggedAdapter(Action action)
{
    const std::lock_guard guard(g_lock);
    const CSimAdapter adapter = Now();
    if (!adapter.Plugged())
        return kFail;
    action(adapter);
    return TSRWL_OK;
}

int32_t AllowedChannelList(int32_t* channels, int32_t band, const char* domain, bool apMode)
{
    if (!channels)
        return kFail;
    std::string domainText;
    const std::lock_guard guard(g_lock);
    if (!TextArg(domain, 63, domainText) || domainText.empty())
        domainText = CurrentScenario()->adapter.domain;
    const std::vector<int> list = AllowedChannels(domainText, band, apMode);
    for (size_t i = 0; i < list.size(); ++i)
        channels[i] = list[i];
    return int32_t(list.size());
}

} // namespace

TSRWL_EXPORT int32_t TSRWL_Initial(const char*, int32_t)
{
    const std::lock_guard guard(g_lock);
    CurrentScenario(); // reports a broken scenario file at start-up rather than at the first scan
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_DevDetect(TSDevRecord* device)
{
    return CallLocked(
        g_lock,
        [device] {
            const CSimAdapter adapter = Now();
            if (!adapter.Detect(device->hwId))
                return kFail;
            // Each plugging in is a new device to its user.
            const std::string plug =
                std::string(kSimDevicePath) + "#" + std::to_string(adapter.State().plugCount);
            CopyOut(reinterpret_cast<char*>(device->libraryData), sizeof device->libraryData, plug);
            CopyOut(device->description, sizeof device->description, adapter.Scenario().adapter.description);
            return TSRWL_OK;
        },
        device);
}

TSRWL_EXPORT int32_t TSRWL_QueryOID(uint32_t oid, void* buffer, uint32_t length, uint32_t* written)
{
    if (!buffer)
        return int32_t(kNdisFailure);
    const std::lock_guard guard(g_lock);
    const CSimAdapter adapter = Now();
    if (!adapter.Plugged())
        return int32_t(kNdisFailure);
    uint32_t size = 0;
    uint8_t value[6] = {};
    if (oid == TSRWL_OID_MEDIA_CONNECT_STATUS) {
        const uint32_t media = adapter.MediaState();
        memcpy(value, &media, size = 4);
    } else if (oid == TSRWL_OID_CURRENT_ADDRESS || oid == kOidPermanentAddress) {
        memcpy(value, adapter.Scenario().adapter.mac.data(), size = 6);
    } else if (oid == kOidRssi) {
        WLANStatus status{};
        adapter.FillStatus(status);
        memcpy(value, &status.Rssi, size = 4);
    } else {
        return int32_t(kNdisNotSupported);
    }
    return AnswerOid(value, size, buffer, length, written);
}

TSRWL_EXPORT int32_t TSRWL_SetOID(uint32_t oid, const void* buffer, uint32_t length)
{
    // The antenna switch is accepted; the simulated radio has one antenna either way.
    return oid == TSRWL_OID_ANTENNA && buffer && length >= 1 ? 0 : int32_t(kNdisNotSupported);
}

TSRWL_EXPORT int32_t TSRWL_SiteSurveyScan(void)
{
    TakeTime(&SimState::slowScanMs);
    return WithPluggedAdapter([](const CSimAdapter& adapter) { adapter.StartScan(); });
}

TSRWL_EXPORT int32_t TSRWL_SiteSurveyGet(void* buffer, uint32_t* size)
{
    if (!buffer || !size || *size < sizeof(uint32_t))
        return kFail;
    const std::lock_guard guard(g_lock);
    return FillSurveyBuffer(Now().ScanResults(), buffer, size);
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
    return WithPluggedAdapter([status](const CSimAdapter& adapter) { adapter.FillStatus(*status); });
}

TSRWL_EXPORT int32_t TSRWL_SetWLANStatus(int32_t* result, WLANStatus* status)
{
    SimConnectRequest request;
    TakeTime(&SimState::slowConnectMs);
    const bool ok = status && TakeRequest(*status, request) && [&] {
        const std::lock_guard guard(g_lock);
        return Now().Apply(request);
    }();
    if (result)
        *result = ok ? 0 : 1;
    return ok ? TSRWL_OK : kFail;
}

TSRWL_EXPORT int32_t TSRWL_GetLastConnectError(char* text, int32_t size)
{
    std::string detail;
    int32_t code;
    {
        const std::lock_guard guard(g_lock);
        code = Now().LastConnectError(detail);
    }
    if (text && size > 0)
        CopyOut(text, size_t(size), detail);
    return code;
}
TSRWL_CHECK_SIGNATURE(TSRWL_GetLastConnectError, int32_t, (char*, int32_t))

TSRWL_EXPORT int32_t TSRWL_WLProfileToWLStatus(const WLProfile* profile, WLANStatus* status)
{
    if (!profile || !status)
        return kFail;
    SimConnectRequest request;
    RequestFromProfile(*profile, request);
    StashRequest(request, *status);
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_SetWLProfileDir(const char* directoryName)
{
    std::string name;
    if (!TextArg(directoryName, 128, name) || name.empty())
        return kFail;
    const std::lock_guard guard(g_lock);
    g_profileDir = name;
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_GetWLProfile(const char* name, WLProfile* profile)
{
    return CallLocked(g_lock,
                      [&] { return GetStoredProfile(CCoreProfileStore(g_profileDir), name, profile); });
}

TSRWL_EXPORT int32_t TSRWL_SetWLProfile(const char* name, const WLProfile* profile)
{
    return CallLocked(g_lock,
                      [&] { return SetStoredProfile(CCoreProfileStore(g_profileDir), name, profile); });
}

TSRWL_EXPORT int32_t TSRWL_EnumWLProfiles(int32_t index, char* name)
{
    return CallLocked(g_lock,
                      [&] { return EnumStoredProfiles(CCoreProfileStore(g_profileDir), index, name); });
}

TSRWL_EXPORT int32_t TSRWL_DeleteWLProfile(const char* name)
{
    return CallLocked(g_lock, [&] { return DeleteStoredProfile(CCoreProfileStore(g_profileDir), name); });
}

TSRWL_EXPORT int32_t TSRWL_GetNetworkInfo(NetworkInfo* info)
{
    if (!info)
        return kFail;
    return WithPluggedAdapter([info](const CSimAdapter& adapter) {
        memset(info, 0, sizeof *info);
        adapter.FillNetworkInfo(*info);
    });
}

TSRWL_EXPORT int32_t TSRWL_SetNetworkInfo(const NetworkInfo* info)
{
    if (!info)
        return kFail;
    return WithPluggedAdapter([info](const CSimAdapter& adapter) { adapter.SetNetworkInfo(*info); });
}

TSRWL_EXPORT int32_t TSRWL_IPDataToStr(const void* ipData, char* text)
{
    if (!ipData || !text)
        return kFail;
    IpAddress ip{};
    memcpy(ip.data(), ipData, ip.size());
    text[0] = '\0';
    if (ip != IpAddress{})
        CopyOut(text, 16, IpText(ip));
    return TSRWL_OK;
}

TSRWL_EXPORT int32_t TSRWL_GetWLANDriverPath(char* path)
{
    return CallLocked(
        g_lock,
        [path] {
            const std::string file = CurrentScenario()->adapter.driverFile;
            CopyOut(path, 256, file.find('/') == std::string::npos ? SimBinaryDir() + file : file);
            return TSRWL_OK;
        },
        path);
}

TSRWL_EXPORT int32_t TSRWL_Set_WZCService(int32_t handOver)
{
    const std::lock_guard guard(g_lock);
    return Now().Update([handOver](SimState& s) {
        s.zeroConfigRunning = handOver != 0;
        return true;
    })
               ? TSRWL_OK
               : kFail;
}

TSRWL_EXPORT int32_t TSRWL_Get_WZCService(void)
{
    constexpr int32_t kRunning = 4, kStopped = 1;
    return CallLocked(g_lock, [] { return Now().State().zeroConfigRunning ? kRunning : kStopped; });
}

TSRWL_EXPORT int32_t TSRWL_PassphraseToWEPKey(const char* passphrase, int32_t keySizeCode, void* keySet)
{
    return PassphraseKeySet(passphrase, keySizeCode, keySet);
}

TSRWL_EXPORT int32_t TSRWL_GetWLANDomain(char* domain)
{
    return CallLocked(
        g_lock,
        [domain] {
            CopyOut(domain, 256, CurrentScenario()->adapter.domain);
            return TSRWL_OK;
        },
        domain);
}

TSRWL_EXPORT int32_t TSRWL_EnumCertificates(void** entries, int32_t kind)
{
    if (!entries || (kind != TSRWL_CERT_KIND_USER && kind != TSRWL_CERT_KIND_ROOT))
        return 0;
    const std::lock_guard guard(g_lock);
    // Earlier answers stay valid until the next call of the same kind, as the caller copies them at once.
    std::vector<std::pair<std::string, std::string>> certificates;
    for (const SimCertificate& c : CurrentScenario()->certificates)
        if (c.kind == kind)
            certificates.emplace_back(c.name, c.issuer);
    return HandOutCertificates(certificates, g_certificates[kind == TSRWL_CERT_KIND_USER ? 0 : 1], entries);
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
    return WithPluggedAdapter([](const CSimAdapter& adapter) { adapter.ReleaseAddress(); });
}

TSRWL_EXPORT int32_t TSRWL_IPRenew(void)
{
    TakeTime(&SimState::slowRenewMs);
    return WithPluggedAdapter([](const CSimAdapter& adapter) { adapter.RenewAddress(); });
}

TSRWL_EXPORT int32_t TSRWL_GetAPStationList(void* buffer)
{
    return CallLocked(
        g_lock,
        [buffer] {
            FillStationList(Now().Stations(), buffer);
            return TSRWL_OK;
        },
        buffer);
}

// Present because the interface has them; the program never calls them, so they only refuse.
#define TSRWL_REFUSED(name, args)                                                                            \
    TSRWL_EXPORT int32_t name args                                                                           \
    {                                                                                                        \
        return kFail;                                                                                        \
    }
TSRWL_REFUSED(TSRWL_EnumAvailableDevice, (void*, int32_t*))
TSRWL_REFUSED(TSRWL_ChannelToFrequency, (int32_t))
TSRWL_REFUSED(TSRWL_RegExportProfile, (const char*))
TSRWL_REFUSED(TSRWL_RegImportProfile, (const char*))
TSRWL_REFUSED(TSRWL_StrToIPData, (const char*, void*))
TSRWL_REFUSED(TSRWL_Get_ZeroConfig, (void))
TSRWL_REFUSED(TSRWL_Set_ZeroConfig, (int32_t))
TSRWL_REFUSED(TSRWL_SetWLANDomain, (const char*))
TSRWL_REFUSED(TSRWL_Disconnect, (void))
TSRWL_REFUSED(TSRWL_GetCurrentProfile, (WLProfile*))
TSRWL_REFUSED(TSRWL_EnableDevice, (int32_t))
TSRWL_REFUSED(TSRWL_SendUCharToDev, (uint8_t))
TSRWL_REFUSED(TSRWL_GetUSBType, (void))
TSRWL_REFUSED(TSRWL_GetGinUSB11, (void))
TSRWL_REFUSED(TSRWL_SetGinUSB11, (int32_t))
TSRWL_REFUSED(TSRWL_GetAPFilterMode, (void))
TSRWL_REFUSED(TSRWL_SetAPFilterMode, (int32_t))
TSRWL_REFUSED(TSRWL_GetAPFilterList, (void*))
TSRWL_REFUSED(TSRWL_SetAPFilterList, (const void*))
#undef TSRWL_REFUSED

TSRWL_FUNCTIONS(TSRWL_CHECK_SIGNATURE)
