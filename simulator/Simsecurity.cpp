#include "Simsecurity.h"

#include "adaptercore/Corecodes.h"
#include "adaptercore/Corecrypto.h"

#include <cstring>

namespace {

// The last digit of a WPA code names the cipher: 0-2 TKIP, 3-4 AES, 5 and 9 either.
int CipherOfCode(uint32_t code)
{
    const uint32_t digit = code % 10;
    constexpr int tkip = ToCode(TsrwlCipher::Tkip), aes = ToCode(TsrwlCipher::Aes);
    return digit <= 2 ? tkip : digit <= 4 ? aes : tkip | aes;
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

} // namespace

SimSecurityNeed SecurityNeedOf(uint32_t code)
{
    const uint32_t family = code >= 1000 ? code - 1000 : code;
    const bool mixed = code >= 1000;
    SimSecurityNeed need;
    if (code == 1) {
        need.methods[0] = ToCode(TsrwlSecurity::Wep);
    } else if (family >= 10 && family <= 15) {
        need = {{ToCode(TsrwlSecurity::Wpa), mixed ? ToCode(TsrwlSecurity::Wpa2) : 0}, CipherOfCode(code)};
    } else if ((family >= 20 && family <= 25) || family == 99) {
        need = {{ToCode(TsrwlSecurity::WpaPsk), mixed ? ToCode(TsrwlSecurity::Wpa2Psk) : 0},
                CipherOfCode(code)};
    } else if (!mixed && code >= 110 && code <= 115) {
        need = {{ToCode(TsrwlSecurity::Wpa2), 0}, CipherOfCode(code)};
    } else if (!mixed && ((code >= 120 && code <= 125) || code == 199)) {
        need = {{ToCode(TsrwlSecurity::Wpa2Psk), 0}, CipherOfCode(code)};
    }
    return need;
}

SimSecurityNeed SecurityNeedOf(const SimNetwork& n)
{
    SimSecurityNeed need = SecurityNeedOf(n.security);
    if (need.methods[0] == ToCode(TsrwlSecurity::Wep) && !n.eapMethods.empty())
        need.methods[0] = ToCode(TsrwlSecurity::Dot1x);
    return need;
}

SimRefusal CheckJoin(const SimNetwork& n, const SimConnectRequest& r)
{
    const SimSecurityNeed need = SecurityNeedOf(n);
    if (r.encryption != need.methods[0] && (need.methods[1] == 0 || r.encryption != need.methods[1]))
        return SimRefusal::WrongSecurity;
    if (need.ciphers != 0 && (need.ciphers & r.wpaCipher) == 0)
        return SimRefusal::WrongSecurity;
    switch (r.encryption) {
    case ToCode(TsrwlSecurity::Open):
        return SimRefusal::Ok;
    case ToCode(TsrwlSecurity::Wep):
        return CheckWep(n, r);
    case ToCode(TsrwlSecurity::WpaPsk):
    case ToCode(TsrwlSecurity::Wpa2Psk):
        return WpaSecretFits(n, r.wpaPassphrase) ? SimRefusal::Ok : SimRefusal::WrongSecret;
    default:
        return CheckDot1x(n, r);
    }
}
