#pragma once

#include "adaptercore/Corecrypto.h"

#include <optional>
#include <string>
#include <vector>

struct SimNetwork;
struct SimConnectRequest;

// How a network checks what a profile presents beyond its security type: the WEP key by index, length and
// format and the 802.11 authentication; the 802.1x method, inner method, account or certificate and the
// authority the profile trusts for the server.

// Why a network refused a profile; Ok when it did not.
enum class SimRefusal { Ok, WrongSecurity, WrongSecret, WrongAuthentication, WrongMethod, UntrustedServer };
const char* RefusalText(SimRefusal refusal);
// The library's connect error code (TSRWL_CONNECT_ERROR_*) of a refusal; `dot1x` when the profile logs in
// with 802.1x, whose refused secret is a refused login rather than a wrong key.
int ConnectErrorOf(SimRefusal refusal, bool dot1x);

// One 802.1x method a network offers: outer method (1 TLS, 2 TTLS, 3 PEAP, 4 LEAP, as MS8021xAuthMode) and,
// for TTLS and PEAP, the inner method in the profile's numbering (PeapEap 2 MS-CHAPv2, 1 GTC; TTLSEap 0 PAP,
// 1 CHAP, 2 MS-CHAP, 3 MS-CHAPv2).
struct SimEapMethod {
    int outer = 0;
    int inner = -1; // -1: none (TLS, LEAP)
    bool operator==(const SimEapMethod&) const = default;
};

// "peap:mschapv2, ttls:pap, tls, leap"; false names the first item that is not understood in `bad`.
bool ParseEapMethods(const std::string& text, std::vector<SimEapMethod>& methods, std::string& bad);
// 802.11 authentication a WEP network requires: "open" = 0, "shared" = 1.
std::optional<int> ParseWepAuth(const std::string& text);
// A WEP key of a network: 5, 13, 16 or 29 bytes as hexadecimal digits.
std::optional<Bytes> ParseNetworkWepKey(const std::string& text);

// The WEP key a profile's text stands for in its format (1 hexadecimal digits, 2 characters, anything else:
// told by the length).
std::optional<Bytes> ProfileWepKey(const std::string& text, int format);

SimRefusal CheckWep(const SimNetwork& network, const SimConnectRequest& request);
SimRefusal CheckDot1x(const SimNetwork& network, const SimConnectRequest& request);
