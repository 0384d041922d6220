#pragma once

#include "Simcredentials.h"
#include "Simrequest.h"
#include "Simscenario.h"

// Whether a connect request may join a network: security type, cipher and secret must fit.

// Security types (EncryptionMethod values) a network with this scan code accepts, and its ciphers
// (bit 1 TKIP, bit 2 AES; 0 = no cipher choice).
struct SimSecurityNeed {
    int methods[2] = {0, 0}; // 0 in the second place: only the first
    int ciphers = 0;
};

SimSecurityNeed SecurityNeedOf(uint32_t code);
// What a network asks: the scan code's need, except that a WEP network with 802.1x methods keys itself
// through 802.1x (802.1x without WPA).
SimSecurityNeed SecurityNeedOf(const SimNetwork& network);
SimRefusal CheckJoin(const SimNetwork& network, const SimConnectRequest& request);
