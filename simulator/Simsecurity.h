#pragma once

#include "Simrequest.h"
#include "Simscenario.h"

// Whether a connect request may join a network: security type, cipher and secret must fit.

enum class SimJoin { Ok, WrongSecurity, WrongSecret };

// Security types (EncryptionMethod values) a network with this scan code accepts, and its ciphers
// (bit 1 TKIP, bit 2 AES; 0 = no cipher choice).
struct SimSecurityNeed {
    int methods[2] = {0, 0}; // 0 in the second place: only the first
    int ciphers = 0;
};

SimSecurityNeed SecurityNeedOf(uint32_t code);
SimJoin CheckJoin(const SimNetwork& network, const SimConnectRequest& request);
