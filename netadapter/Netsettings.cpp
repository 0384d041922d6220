#include "Netsettings.h"

#include "adaptercore/Corecodes.h"

#include <algorithm>
#include <arpa/inet.h>
#include <bit>
#include <cstring>

namespace {

// Flags of the manager's access point records.
constexpr uint32_t kPrivacy = 0x1;
constexpr uint32_t kPairTkip = 0x4, kPairCcmp = 0x8;
constexpr uint32_t kKeyPsk = 0x100, kKey8021x = 0x200, kKeySae = 0x400;

// A profile's "automatic" or "off" values of what the manager cannot set.
constexpr int kRateAuto = 15, kFragOff = 2346, kRtsOff = 2347, kPreambleAuto = 2;

// Last digit of a WPA code: 0 TKIP, 3 AES, 5 either.
uint32_t CipherDigit(uint32_t pairwise)
{
    const bool tkip = pairwise & kPairTkip, ccmp = pairwise & kPairCcmp;
    return tkip && ccmp ? 5 : ccmp ? 3 : 0;
}

std::string Text(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}
#define FIELD(record, name) Text((record).name, sizeof(record).name)

std::string FileUrl(const std::string& path)
{
    return "file://" + path;
}

// The manager takes certificate and key paths as bytes "file://<path>" ending in a NUL.
NetBytes PathBlob(const std::string& path)
{
    const std::string url = FileUrl(path);
    NetBytes blob(url.begin(), url.end());
    blob.push_back(0);
    return blob;
}

// Channels the manager accepts in band a; any other refuses the whole connection.
constexpr int kChannelsA[] = {7,   8,   9,   11,  12,  16,  34,  36,  38,  40,  42,  44,  46,  48,  50,
                              52,  56,  58,  60,  64,  100, 104, 108, 112, 116, 120, 124, 128, 132, 136,
                              140, 149, 152, 153, 157, 160, 161, 165, 183, 184, 185, 187, 188, 192, 196};

bool IsHex(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

bool ChannelAccepted(bool bandA, int channel)
{
    if (!bandA)
        return channel >= 1 && channel <= 14;
    return std::find(std::begin(kChannelsA), std::end(kChannelsA), channel) != std::end(kChannelsA);
}

bool IsPrintableAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
}

// The manager knows 64- and 128-bit keys only: 5 or 13 printable ASCII characters, or 10 or 26 hex digits.
bool WepKeyAccepted(const std::string& key)
{
    const size_t n = key.size();
    return ((n == 5 || n == 13) && IsPrintableAscii(key)) || ((n == 10 || n == 26) && IsHex(key));
}

bool PassphraseAccepted(const std::string& psk)
{
    return (psk.size() >= 8 && psk.size() <= 63) || (psk.size() == 64 && IsHex(psk));
}

bool AddWep(const WLProfile& p, NetProps& security, std::string& refusal)
{
    security["key-mgmt"] = "none";
    // 1 = a key given as hex digits or as 5/13 characters, which is what the profile holds in either format.
    security["wep-key-type"] = uint32_t(1);
    security["wep-tx-keyidx"] = uint32_t(std::clamp(p.DefaultKey, 0, 3));
    const char* keys[] = {p.WEPKey1, p.WEPKey2, p.WEPKey3, p.WEPKey4};
    for (int i = 0; i < 4; ++i) {
        const std::string key = Text(keys[i], sizeof p.WEPKey1);
        if (!key.empty() && !WepKeyAccepted(key)) {
            refusal = "WEP key " + std::to_string(i + 1) + " has " + std::to_string(key.size()) +
                      " bytes; the network manager takes only 64- and 128-bit keys (5 or 13 printable ASCII "
                      "characters, 10 or 26 hex digits)";
            return false;
        }
        if (!key.empty())
            security["wep-key" + std::to_string(i)] = key;
    }
    security["auth-alg"] = p.AuthenticationMode == ToCode(TsrwlAuthMode::Shared) ? "shared" : "open";
    return true;
}

// A station leaves protocol and cipher to negotiation, as the manager's own clients do; a cell or access
// point of our own has no peer to negotiate with, so the profile's choice is what it runs.
void AddWpaFamily(const WLProfile& p, NetProps& security)
{
    if (p.FuncMode == 0 && p.NetworkMode == 1)
        return;
    const bool rsn = p.EncryptionMethod == ToCode(TsrwlSecurity::Wpa2Psk) ||
                     p.EncryptionMethod == ToCode(TsrwlSecurity::Wpa2);
    security["proto"] = std::vector<std::string>{rsn ? "rsn" : "wpa"};
    const std::string cipher = p.WPAEncryptionType == ToCode(TsrwlCipher::Aes) ? "ccmp" : "tkip";
    security["pairwise"] = std::vector<std::string>{cipher};
}

bool AddPsk(const WLProfile& p, NetProps& security, std::string& refusal)
{
    const std::string psk = FIELD(p, WPAPassphrase);
    if (!PassphraseAccepted(psk)) {
        refusal = "the pass phrase has " + std::to_string(psk.size()) +
                  " characters; the network manager takes 8 to 63 characters or 64 hex digits";
        return false;
    }
    security["key-mgmt"] = "wpa-psk";
    security["psk"] = psk;
    AddWpaFamily(p, security);
    return true;
}

const char* InnerMethod(const WLProfile& p)
{
    // By the codes of the inner methods; PEAP's 0 comes from older profiles and means MS-CHAPv2.
    static const char* const ttls[] = {"pap", "chap", "mschap", "mschapv2"};
    static const char* const peap[] = {"mschapv2", "gtc", "mschapv2"};
    if (p.MS8021xAuthMode == ToCode(TsrwlEapMethod::Ttls))
        return ttls[std::clamp(p.TTLSEap, ToCode(TsrwlTtlsInner::Pap), ToCode(TsrwlTtlsInner::MsChapV2))];
    if (p.MS8021xAuthMode == ToCode(TsrwlEapMethod::Peap))
        return peap[std::clamp(p.PeapEap, 0, ToCode(TsrwlPeapInner::MsChapV2))];
    return nullptr;
}

// NM_SETTING_SECRET_FLAG_NOT_REQUIRED.
constexpr uint32_t kSecretNotRequired = 4;

bool Add8021x(const WLProfile& p, const NetConnectPlace& place, NetSettings& out, std::string& refusal)
{
    // By the codes of the methods.
    static const char* const methods[] = {"", "tls", "ttls", "peap", "leap"};
    if (p.MS8021xAuthMode < ToCode(TsrwlEapMethod::Tls) || p.MS8021xAuthMode > ToCode(TsrwlEapMethod::Leap)) {
        refusal = "the profile names no 802.1x method";
        return false;
    }
    NetProps& eap = out["802-1x"];
    eap["eap"] = std::vector<std::string>{methods[p.MS8021xAuthMode]};
    std::string identity = FIELD(p, LoginName);
    const std::string domain = FIELD(p, DomainName);
    if (!domain.empty() && identity.find('\\') == std::string::npos)
        identity = domain + "\\" + identity;
    if (identity.empty() && p.MS8021xAuthMode != ToCode(TsrwlEapMethod::Tls)) {
        refusal = std::string("the profile gives no login name, which 802.1x ") + methods[p.MS8021xAuthMode] +
                  " needs";
        return false;
    }
    if (!identity.empty())
        eap["identity"] = identity;
    if (const char* inner = InnerMethod(p))
        eap["phase2-auth"] = inner;
    const std::string password = FIELD(p, LoginPassword);
    if (p.MS8021xAuthMode == ToCode(TsrwlEapMethod::Tls)) {
        if (place.clientCertFile.empty()) {
            refusal =
                "the user certificate \"" + FIELD(p, sCertificate) + "\" is not in the certificate folder";
            return false;
        }
        eap["client-cert"] = PathBlob(place.clientCertFile);
        eap["private-key"] =
            PathBlob(place.privateKeyFile.empty() ? place.clientCertFile : place.privateKeyFile);
        // A key without a password needs none: the manager would otherwise ask for one, and with nobody to
        // answer fail the login at once.
        if (!password.empty())
            eap["private-key-password"] = password;
        else
            eap["private-key-password-flags"] = kSecretNotRequired;
    } else if (!password.empty()) {
        eap["password"] = password;
    }
    if (p.ValidateServerCert != 0) {
        if (place.caCertFile.empty()) {
            refusal = "the authority certificate \"" + FIELD(p, sCertAuthority) +
                      "\" is not in the authority folder";
            return false;
        }
        eap["ca-cert"] = PathBlob(place.caCertFile);
    }
    return true;
}

bool AddSecurity(const WLProfile& p, const NetConnectPlace& place, NetSettings& out, std::string& refusal)
{
    const int method = p.EncryptionMethod;
    if (method == ToCode(TsrwlSecurity::Open))
        return true;
    NetProps& security = out["802-11-wireless-security"];
    out["802-11-wireless"]["security"] = "802-11-wireless-security";
    switch (method) {
    case ToCode(TsrwlSecurity::Wep):
        return AddWep(p, security, refusal);
    case ToCode(TsrwlSecurity::WpaPsk):
    case ToCode(TsrwlSecurity::Wpa2Psk):
        return AddPsk(p, security, refusal);
    case ToCode(TsrwlSecurity::Wpa):
    case ToCode(TsrwlSecurity::Wpa2):
        security["key-mgmt"] = "wpa-eap";
        AddWpaFamily(p, security);
        return Add8021x(p, place, out, refusal);
    case ToCode(TsrwlSecurity::Dot1x):
        security["key-mgmt"] = "ieee8021x";
        return Add8021x(p, place, out, refusal);
    default:
        refusal = "the profile's security type " + std::to_string(method) + " is unknown";
        return false;
    }
}

uint32_t PrefixOf(const uint8_t (&mask)[TSRWL_IP_SIZE])
{
    uint32_t bits = 0;
    memcpy(&bits, mask, 4);
    return uint32_t(std::popcount(bits));
}

void AddIp(const WLProfile& p, const NetConnectPlace& place, NetSettings& out)
{
    NetProps& ipv4 = out["ipv4"];
    if (p.FuncMode != 0) {
        ipv4["method"] = "shared"; // clients of the access point get addresses from the manager
        out["ipv6"]["method"] = "ignore";
        return;
    }
    out["ipv6"]["method"] = p.NetworkMode == 1 ? "auto" : "link-local";
    if (!place.ip || (place.ip->wNetFlags & 1) == 0) {
        ipv4["method"] = p.NetworkMode == 1 ? "auto" : "link-local";
        return;
    }
    const NetworkInfo& info = *place.ip;
    ipv4["method"] = "manual";
    ipv4["address-data"] = NetAddressList{{IpText(info.IpAddr), PrefixOf(info.IpMask)}};
    const std::string gateway = IpText(info.IpGate1);
    if (!gateway.empty())
        ipv4["gateway"] = gateway;
    std::vector<uint32_t> dns;
    for (const auto* server : {&info.IpDNS1, &info.IpDNS2}) {
        uint32_t raw = 0; // the manager wants them in network order, which is how the record keeps them
        memcpy(&raw, *server, 4);
        if (raw != 0)
            dns.push_back(raw);
    }
    if (!dns.empty())
        ipv4["dns"] = dns;
}

bool AddWireless(const WLProfile& p, const NetConnectPlace& place, NetSettings& out, std::string& refusal)
{
    NetProps& wireless = out["802-11-wireless"];
    wireless["ssid"] = place.ssid;
    const bool ap = p.FuncMode != 0;
    wireless["mode"] = ap ? "ap" : p.NetworkMode == 1 ? "infrastructure" : "adhoc";
    if (ap || p.NetworkMode != 1) {
        const bool bandA = ap ? p.Channel > 14 : p.AdHocBand == 2;
        wireless["band"] = bandA ? "a" : "bg";
        if (p.Channel > 0 && !ChannelAccepted(bandA, p.Channel)) {
            refusal = "channel " + std::to_string(p.Channel) +
                      " is not one the network manager accepts in band " + (bandA ? "a" : "bg");
            return false;
        }
        if (p.Channel > 0)
            wireless["channel"] = uint32_t(p.Channel);
    }
    if (ap ? p.ApSSIDHide != 0 : place.hidden)
        wireless["hidden"] = true;
    return true;
}

} // namespace

uint32_t SecurityCodeOf(uint32_t flags, uint32_t wpaFlags, uint32_t rsnFlags)
{
    const bool rsnPsk = rsnFlags & (kKeyPsk | kKeySae), wpaPsk = wpaFlags & kKeyPsk;
    const bool rsnEap = rsnFlags & kKey8021x, wpaEap = wpaFlags & kKey8021x;
    if (rsnPsk || wpaPsk) {
        const uint32_t digit = CipherDigit((rsnPsk ? rsnFlags : 0) | (wpaPsk ? wpaFlags : 0));
        return (rsnPsk && wpaPsk ? 1020 : rsnPsk ? 120 : 20) + digit;
    }
    if (rsnEap || wpaEap) {
        const uint32_t digit = CipherDigit((rsnEap ? rsnFlags : 0) | (wpaEap ? wpaFlags : 0));
        return (rsnEap && wpaEap ? 1010 : rsnEap ? 110 : 10) + digit;
    }
    return (flags & kPrivacy) ? 1 : 0;
}

uint32_t EncryptionMethodOf(uint32_t flags, uint32_t wpaFlags, uint32_t rsnFlags)
{
    if (rsnFlags & (kKeyPsk | kKeySae))
        return ToCode(TsrwlSecurity::Wpa2Psk);
    if (rsnFlags & kKey8021x)
        return ToCode(TsrwlSecurity::Wpa2);
    if (wpaFlags & kKeyPsk)
        return ToCode(TsrwlSecurity::WpaPsk);
    if (wpaFlags & kKey8021x)
        return ToCode(TsrwlSecurity::Wpa);
    return (flags & kPrivacy) ? ToCode(TsrwlSecurity::Wep) : ToCode(TsrwlSecurity::Open);
}

uint32_t AuthModeOfMethod(uint32_t encryptionMethod)
{
    switch (int32_t(encryptionMethod)) {
    case ToCode(TsrwlSecurity::WpaPsk):
        return ToCode(TsrwlAuthMode::WpaPsk);
    case ToCode(TsrwlSecurity::Wpa2Psk):
        return ToCode(TsrwlAuthMode::Wpa2Psk);
    case ToCode(TsrwlSecurity::Wpa):
        return ToCode(TsrwlAuthMode::Wpa);
    case ToCode(TsrwlSecurity::Wpa2):
        return ToCode(TsrwlAuthMode::Wpa2);
    default:
        return ToCode(TsrwlAuthMode::Open);
    }
}

uint32_t DotModeOf(uint32_t mhz, uint32_t maxBitrateKbps)
{
    if (mhz >= 4900)
        return 2;
    return maxBitrateKbps > 11000 ? 3 : 1;
}

int32_t SignalDbmOf(uint32_t strength)
{
    constexpr int32_t kWeakest = -100, kSpan = 60;
    const int32_t percent = int32_t(std::min<uint32_t>(strength, 100));
    return kWeakest + (percent * kSpan + 50) / 100;
}

std::string IpText(const uint8_t (&ip)[TSRWL_IP_SIZE])
{
    if (ip[0] == 0 && ip[1] == 0 && ip[2] == 0 && ip[3] == 0)
        return {};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, ip, text, sizeof text);
    return text;
}

bool IpBytes(const std::string& text, uint8_t (&ip)[TSRWL_IP_SIZE])
{
    return inet_pton(AF_INET, text.c_str(), ip) == 1;
}

bool BuildConnection(const WLProfile& p, const NetConnectPlace& place, NetSettings& out, std::string& refusal)
{
    out.clear();
    if (place.ssid.empty() || place.ssid.size() > TSRWL_SSID_MAX) {
        refusal = "the profile names no network";
        return false;
    }
    if (p.FuncMode != 0 && p.APMacFilterMode != 0) {
        refusal = "the access point's MAC filter cannot be applied through the network manager";
        return false;
    }
    if (p.FuncMode != 0 && p.EncryptionMethod != ToCode(TsrwlSecurity::Open) &&
        p.EncryptionMethod != ToCode(TsrwlSecurity::Wep) &&
        p.EncryptionMethod != ToCode(TsrwlSecurity::WpaPsk) &&
        p.EncryptionMethod != ToCode(TsrwlSecurity::Wpa2Psk)) {
        refusal = "an access point can only be open or use WEP or a pre-shared key";
        return false;
    }
    NetProps& connection = out["connection"];
    const std::string name = FIELD(p, ProfileName);
    connection["id"] = name.empty() ? std::string("wlanutil") : name;
    connection["uuid"] = place.uuid;
    connection["type"] = "802-11-wireless";
    connection["interface-name"] = place.iface;
    connection["autoconnect"] = false;
    // Only this user may see and use the connection, as with the manager's own clients.
    if (!place.user.empty())
        connection["permissions"] = std::vector<std::string>{"user:" + place.user + ":"};
    if (!AddWireless(p, place, out, refusal))
        return false;
    AddIp(p, place, out);
    return AddSecurity(p, place, out, refusal);
}

std::vector<std::string> UnappliedSettings(const WLProfile& p)
{
    const bool ap = p.FuncMode != 0;
    const std::pair<bool, const char*> asked[] = {
        {(ap ? p.APtxPwrLevel : p.txPwrLevel) != 0, "transmit power"},
        {p.TxRate != 0 && p.TxRate != kRateAuto, "a fixed transmit rate"},
        {p.FragThreshold > 0 && p.FragThreshold < kFragOff, "the fragmentation threshold"},
        {p.RTSThreshold > 0 && p.RTSThreshold < kRtsOff, "the RTS threshold"},
        {p.PreambleMode != (ap ? 0 : kPreambleAuto), "the preamble"},
        {p.PowerMode != 0, "power saving"},
    };
    std::vector<std::string> names;
    for (const auto& [set, name] : asked)
        if (set)
            names.emplace_back(name);
    return names;
}
