#pragma once

#include <cstdint>
#include <string>

// Why a connect failed, in the adapter library's words: the device's state reason of a failed activation
// turned into one of the TSRWL_CONNECT_ERROR_* codes and a line for the log.

struct NetConnectError {
    int32_t code = 0; // TSRWL_CONNECT_ERROR_*
    std::string detail;
};

// `enterprise`: the profile logs in with 802.1x, where the same supplicant failure means a refused login
// rather than a wrong key.
// `serverUntrusted`: the supplicant rejected the server's certificate, which the manager words as secrets
// wanted again.
NetConnectError ConnectErrorOfReason(uint32_t reason, bool enterprise, bool serverUntrusted = false);
// The device's state reason that says what an activation's own reason for ending says.
uint32_t DeviceReasonOfActivation(uint32_t activeReason);
