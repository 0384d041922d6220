#include "Netreason.h"

#include "adaptercore/tsrwl.h"

#include <utility>

namespace {

// Device state reasons of the manager that end an activation.
enum Reason : uint32_t {
    ConfigFailed = 4,
    IpConfigUnavailable = 5,
    IpConfigExpired = 6,
    NoSecrets = 7,
    SupplicantDisconnect = 8,
    SupplicantConfigFailed = 9,
    SupplicantFailed = 10,
    SupplicantTimeout = 11,
    DhcpStartFailed = 15,
    DhcpError = 16,
    DhcpFailed = 17,
    SharedStartFailed = 18,
    SharedFailed = 19,
    FirmwareMissing = 35,
    Removed = 36,
    UserRequested = 39,
    Carrier = 40,
    SsidNotFound = 53,
    NewActivation = 60,
};

struct Meaning {
    uint32_t reason;
    int32_t code;
    const char* text;
};

// Secrets asked for again or a supplicant that gives up are how a refused key shows; for 802.1x logins
// they are the refused login (see ConnectErrorOfReason).
constexpr Meaning kMeanings[] = {
    {NoSecrets, TSRWL_CONNECT_ERROR_WRONG_KEY, "the network asked for the key again (wrong key?)"},
    {SupplicantDisconnect, TSRWL_CONNECT_ERROR_WRONG_KEY, "the network ended the key exchange"},
    {SupplicantFailed, TSRWL_CONNECT_ERROR_WRONG_KEY, "the key exchange failed"},
    {SupplicantConfigFailed, TSRWL_CONNECT_ERROR_WRONG_SECURITY,
     "the security settings do not suit the network"},
    {SupplicantTimeout, TSRWL_CONNECT_ERROR_TIMEOUT, "the network did not finish the key exchange in time"},
    {SsidNotFound, TSRWL_CONNECT_ERROR_NOT_FOUND, "no network of that name is in range"},
    {IpConfigUnavailable, TSRWL_CONNECT_ERROR_TIMEOUT, "no address came from the network in time"},
    {DhcpFailed, TSRWL_CONNECT_ERROR_TIMEOUT, "no address came from the network's DHCP server"},
    {IpConfigExpired, TSRWL_CONNECT_ERROR_OTHER, "the address lease ran out"},
    {DhcpStartFailed, TSRWL_CONNECT_ERROR_OTHER, "the DHCP client did not start"},
    {DhcpError, TSRWL_CONNECT_ERROR_OTHER, "the DHCP client failed"},
    {SharedStartFailed, TSRWL_CONNECT_ERROR_OTHER, "sharing the connection did not start"},
    {SharedFailed, TSRWL_CONNECT_ERROR_OTHER, "sharing the connection failed"},
    {ConfigFailed, TSRWL_CONNECT_ERROR_OTHER, "the device could not be set up"},
    {FirmwareMissing, TSRWL_CONNECT_ERROR_OTHER, "the device's firmware is missing"},
    {Removed, TSRWL_CONNECT_ERROR_OTHER, "the device was removed"},
    {UserRequested, TSRWL_CONNECT_ERROR_OTHER, "the connection was ended by request"},
    {Carrier, TSRWL_CONNECT_ERROR_OTHER, "the link was lost"},
    {NewActivation, TSRWL_CONNECT_ERROR_OTHER, "another connection took the device"},
};

// An activation's reasons for ending and the device's reasons that say the same.
constexpr std::pair<uint32_t, uint32_t> kActivationReasons[] = {
    {2, UserRequested}, {5, IpConfigUnavailable}, {6, SupplicantTimeout},
    {9, NoSecrets},     {10, SupplicantFailed},   {14, Removed},
};

bool EndsTheLogin(uint32_t reason)
{
    return reason == NoSecrets || reason == SupplicantDisconnect || reason == SupplicantFailed;
}

} // namespace

uint32_t DeviceReasonOfActivation(uint32_t activeReason)
{
    for (const auto& [active, device] : kActivationReasons)
        if (active == activeReason)
            return device;
    return 0;
}

NetConnectError ConnectErrorOfReason(uint32_t reason, bool enterprise, bool serverUntrusted)
{
    NetConnectError error{TSRWL_CONNECT_ERROR_OTHER,
                          "the network manager gave reason " + std::to_string(reason)};
    for (const Meaning& m : kMeanings)
        if (m.reason == reason)
            error = {m.code, m.text};
    if (enterprise && EndsTheLogin(reason)) {
        error.code = TSRWL_CONNECT_ERROR_LOGIN_REFUSED;
        error.detail = "the 802.1x login was refused";
    }
    if (enterprise && serverUntrusted) {
        error.code = TSRWL_CONNECT_ERROR_SERVER_UNTRUSTED;
        error.detail = "the network's authentication server has a certificate that is not trusted";
    }
    error.detail += " (device reason " + std::to_string(reason) + ")";
    return error;
}
