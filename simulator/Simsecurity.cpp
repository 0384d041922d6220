#include "Simsecurity.h"

#include "Simcrypto.h"

#include <cstring>

namespace {

enum Method { Open = 0, Wep = 1, PskWpa = 2, Wpa = 3, PskWpa2 = 6, Wpa2 = 7 };
enum Cipher { Tkip = 1, Aes = 2 };

// The last digit of a WPA code names the cipher: 0-2 TKIP, 3-4 AES, 5 and 9 either.
int CipherOfCode(uint32_t code)
{
    const uint32_t digit = code % 10;
    return digit <= 2 ? Tkip : digit <= 4 ? Aes : Tkip | Aes;
}

// A WEP key as typed: 10 or 26 hexadecimal digits, or 5 or 13 characters.
std::optional<Bytes> WepKeyBytes(const std::string& text)
{
    if (text.size() == 10 || text.size() == 26)
        return HexBytes(text);
    if (text.size() == 5 || text.size() == 13)
        return Bytes(text.begin(), text.end());
    return std::nullopt;
}

bool WpaSecretFits(const SimNetwork& n, const std::string& secret)
{
    const auto expected = WpaPsk(n.passphrase, n.ssid);
    if (!expected)
        return false;
    if (secret.size() == 64)
        return HexBytes(secret) == expected;
    return WpaPsk(secret, n.ssid) == expected;
}

bool AccountFits(const SimNetwork& n, const SimConnectRequest& r)
{
    // TLS logs in with the user certificate alone.
    if (r.eapMethod == 1)
        return !n.userCertificate.empty() && n.userCertificate == r.certificate;
    std::string login = r.login;
    const size_t slash = login.find('\\'); // DOMAIN\user
    if (slash != std::string::npos)
        login.erase(0, slash + 1);
    for (const SimAccount& a : n.accounts)
        if (strcasecmp(a.login.c_str(), login.c_str()) == 0 && a.password == r.password)
            return true;
    return false;
}

} // namespace

SimSecurityNeed SecurityNeedOf(uint32_t code)
{
    const uint32_t family = code >= 1000 ? code - 1000 : code;
    const bool mixed = code >= 1000;
    SimSecurityNeed need;
    if (code == 1) {
        need.methods[0] = Wep;
    } else if (family >= 10 && family <= 15) {
        need = {{Wpa, mixed ? Wpa2 : 0}, CipherOfCode(code)};
    } else if ((family >= 20 && family <= 25) || family == 99) {
        need = {{PskWpa, mixed ? PskWpa2 : 0}, CipherOfCode(code)};
    } else if (!mixed && code >= 110 && code <= 115) {
        need = {{Wpa2, 0}, CipherOfCode(code)};
    } else if (!mixed && ((code >= 120 && code <= 125) || code == 199)) {
        need = {{PskWpa2, 0}, CipherOfCode(code)};
    }
    return need;
}

SimJoin CheckJoin(const SimNetwork& n, const SimConnectRequest& r)
{
    const SimSecurityNeed need = SecurityNeedOf(n.security);
    if (r.encryption != need.methods[0] && (need.methods[1] == 0 || r.encryption != need.methods[1]))
        return SimJoin::WrongSecurity;
    if (need.ciphers != 0 && (need.ciphers & r.wpaCipher) == 0)
        return SimJoin::WrongSecurity;
    switch (r.encryption) {
    case Open:
        return SimJoin::Ok;
    case Wep: {
        if (r.defaultKey < 0 || r.defaultKey > 3)
            return SimJoin::WrongSecret;
        const auto key = WepKeyBytes(r.wepKey[r.defaultKey]);
        return key && *key == n.wepKey ? SimJoin::Ok : SimJoin::WrongSecret;
    }
    case PskWpa:
    case PskWpa2:
        return WpaSecretFits(n, r.wpaPassphrase) ? SimJoin::Ok : SimJoin::WrongSecret;
    default:
        return AccountFits(n, r) ? SimJoin::Ok : SimJoin::WrongSecret;
    }
}
