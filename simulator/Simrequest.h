#pragma once

#include "adaptercore/tsrwl.h"

#include <cstdint>

// What a profile asks of the adapter. TSRWL_WLProfileToWLStatus keeps it in bytes of the status record that
// belong to the library, because TSRWL_SetWLANStatus receives only that record.
struct SimConnectRequest {
    char magic[8];
    int32_t funcMode;
    int32_t networkMode; // 1 = infrastructure, 0 = ad hoc
    int32_t channel;
    int32_t adHocBand;
    char ssid[TSRWL_SSID_MAX + 1];
    char profileName[65];
    int32_t encryption; // EncryptionMethod of the profile
    int32_t authMode;
    int32_t wpaCipher;
    int32_t defaultKey;
    char wepKey[4][59];
    char wpaPassphrase[260];
    int32_t eapMethod;
    char login[260];
    char password[260];
    char certificate[260];
    int32_t wepFormat;
    int32_t peapInner;
    int32_t ttlsInner;
    char certAuthority[260];
    int32_t validateServer;
    int32_t txPower;
    int32_t apHideSsid;
    int32_t apFilterMode;
    uint8_t apFilter[TSRWL_MAC_FILTER_COUNT][TSRWL_MAC_SIZE];
};

void RequestFromProfile(const WLProfile& profile, SimConnectRequest& request);
// Stores the request in the status record; the visible fields get the profile's network name and security.
void StashRequest(const SimConnectRequest& request, WLANStatus& status);
// False when the record carries no request (not made by TSRWL_WLProfileToWLStatus).
bool TakeRequest(const WLANStatus& status, SimConnectRequest& request);
