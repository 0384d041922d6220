#include "Simcredentials.h"
#include "Simrequest.h"
#include "Simscenario.h"
#include "adaptercore/Corecodes.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace {

constexpr int Tls = ToCode(TsrwlEapMethod::Tls), Ttls = ToCode(TsrwlEapMethod::Ttls),
              Peap = ToCode(TsrwlEapMethod::Peap), Leap = ToCode(TsrwlEapMethod::Leap);
enum WepFormat { FormatHex = 1, FormatChars = 2 };
constexpr size_t WEP_KEY_BYTES[] = {5, 13, 16, 29};

bool IsWepKeySize(size_t bytes)
{
    return std::find(std::begin(WEP_KEY_BYTES), std::end(WEP_KEY_BYTES), bytes) != std::end(WEP_KEY_BYTES);
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<SimEapMethod> ParseEapMethod(const std::string& item)
{
    struct Name {
        const char* text;
        SimEapMethod method;
    };
    static const Name names[] = {
        {"tls", {Tls, -1}},
        {"leap", {Leap, -1}},
        {"peap:mschapv2", {Peap, ToCode(TsrwlPeapInner::MsChapV2)}},
        {"peap:gtc", {Peap, ToCode(TsrwlPeapInner::Gtc)}},
        {"ttls:pap", {Ttls, ToCode(TsrwlTtlsInner::Pap)}},
        {"ttls:chap", {Ttls, ToCode(TsrwlTtlsInner::Chap)}},
        {"ttls:mschap", {Ttls, ToCode(TsrwlTtlsInner::MsChap)}},
        {"ttls:mschapv2", {Ttls, ToCode(TsrwlTtlsInner::MsChapV2)}},
    };
    for (const Name& name : names)
        if (strcasecmp(name.text, item.c_str()) == 0)
            return name.method;
    return std::nullopt;
}

bool AccountFits(const SimNetwork& n, const SimConnectRequest& r)
{
    std::string login = r.login;
    const size_t slash = login.find('\\'); // DOMAIN\user
    if (slash != std::string::npos)
        login.erase(0, slash + 1);
    for (const SimAccount& a : n.accounts)
        if (strcasecmp(a.login.c_str(), login.c_str()) == 0 && a.password == r.password)
            return true;
    return false;
}

bool MethodOffered(const SimNetwork& n, const SimConnectRequest& r)
{
    const int inner = r.eapMethod == Peap ? r.peapInner : r.eapMethod == Ttls ? r.ttlsInner : -1;
    return std::find(n.eapMethods.begin(), n.eapMethods.end(), SimEapMethod{r.eapMethod, inner}) !=
           n.eapMethods.end();
}

// A profile that names an authority validates the server with it: it must be the one that signed the
// network's server certificate. Validation asked for without any authority trusts nobody.
bool ServerTrusted(const SimNetwork& n, const SimConnectRequest& r)
{
    if (r.certAuthority[0] == '\0')
        return r.validateServer == 0;
    return !n.serverAuthority.empty() && n.serverAuthority == r.certAuthority;
}

} // namespace

const char* RefusalText(SimRefusal refusal)
{
    switch (refusal) {
    case SimRefusal::Ok:
        return "accepted";
    case SimRefusal::WrongSecurity:
        return "wrong security type or cipher";
    case SimRefusal::WrongSecret:
        return "wrong key, pass phrase or account";
    case SimRefusal::WrongAuthentication:
        return "wrong 802.11 authentication";
    case SimRefusal::WrongMethod:
        return "802.1x method or inner method not offered";
    case SimRefusal::UntrustedServer:
        return "server certificate not trusted";
    }
    return "refused";
}

int ConnectErrorOf(SimRefusal refusal, bool dot1x)
{
    switch (refusal) {
    case SimRefusal::Ok:
        return TSRWL_CONNECT_ERROR_NONE;
    case SimRefusal::WrongSecurity:
    case SimRefusal::WrongAuthentication:
        return TSRWL_CONNECT_ERROR_WRONG_SECURITY;
    case SimRefusal::WrongSecret:
        return dot1x ? TSRWL_CONNECT_ERROR_LOGIN_REFUSED : TSRWL_CONNECT_ERROR_WRONG_KEY;
    case SimRefusal::WrongMethod:
        return TSRWL_CONNECT_ERROR_LOGIN_REFUSED;
    case SimRefusal::UntrustedServer:
        return TSRWL_CONNECT_ERROR_SERVER_UNTRUSTED;
    }
    return TSRWL_CONNECT_ERROR_OTHER;
}

bool ParseEapMethods(const std::string& text, std::vector<SimEapMethod>& methods, std::string& bad)
{
    methods.clear();
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = Trimmed(text.substr(start, comma - start));
        start = comma + 1;
        if (item.empty())
            continue;
        const auto method = ParseEapMethod(item);
        if (!method) {
            bad = item;
            return false;
        }
        methods.push_back(*method);
    }
    return true;
}

std::optional<int> ParseWepAuth(const std::string& text)
{
    if (strcasecmp(text.c_str(), "open") == 0)
        return 0;
    if (strcasecmp(text.c_str(), "shared") == 0)
        return 1;
    return std::nullopt;
}

std::optional<Bytes> ParseNetworkWepKey(const std::string& text)
{
    auto key = HexBytes(text);
    return key && IsWepKeySize(key->size()) ? key : std::nullopt;
}

std::optional<Bytes> ProfileWepKey(const std::string& text, int format)
{
    const bool hexSized = text.size() % 2 == 0 && IsWepKeySize(text.size() / 2);
    if (format == FormatHex || (format != FormatChars && hexSized))
        return hexSized ? HexBytes(text) : std::nullopt;
    if (IsWepKeySize(text.size()))
        return Bytes(text.begin(), text.end());
    return std::nullopt;
}

SimRefusal CheckWep(const SimNetwork& n, const SimConnectRequest& r)
{
    if (r.defaultKey < 0 || r.defaultKey > 3 || (n.wepKeyIndex >= 0 && r.defaultKey != n.wepKeyIndex))
        return SimRefusal::WrongSecret;
    // Automatic switching tries open and shared key in turn; otherwise both sides must agree.
    if (n.wepAuth >= 0 && r.authMode != ToCode(TsrwlAuthMode::Auto) && r.authMode != n.wepAuth)
        return SimRefusal::WrongAuthentication;
    const auto key = ProfileWepKey(r.wepKey[r.defaultKey], r.wepFormat);
    return key && *key == n.wepKey ? SimRefusal::Ok : SimRefusal::WrongSecret;
}

SimRefusal CheckDot1x(const SimNetwork& n, const SimConnectRequest& r)
{
    if (!n.eapMethods.empty() && !MethodOffered(n, r))
        return SimRefusal::WrongMethod;
    // LEAP has no server certificate to check.
    if (r.eapMethod != Leap && !ServerTrusted(n, r))
        return SimRefusal::UntrustedServer;
    if (r.eapMethod == Tls)
        return !n.userCertificate.empty() && n.userCertificate == r.certificate ? SimRefusal::Ok
                                                                                : SimRefusal::WrongSecret;
    return AccountFits(n, r) ? SimRefusal::Ok : SimRefusal::WrongSecret;
}
