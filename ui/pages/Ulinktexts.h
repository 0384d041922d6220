#pragma once

#include <QString>
#include <cstdint>

struct TConnectFailure;

// Display texts of the link and scan records shared by the station pages and the chart window.

// Indices of the common texts these views show.
enum LinkText : int {
    LT_DBM = 1,
    LT_KBPS = 2,
    LT_MBPS = 3,
    LT_NONE = 8,
    LT_INFRASTRUCTURE = 26,
    LT_ADHOC = 27,
    LT_AUTHEN_MD5 = 39,
    LT_AUTHEN_LEAP = 40,
    LT_AUTHEN_TLS = 41,
    LT_AUTHEN_TTLS = 42,
    LT_AUTHEN_PEAP = 43,
    LT_AUTHMODE_OPEN = 50,
    LT_AUTHMODE_SHARE = 51,
    LT_AUTHMODE_AUTO = 52,
    LT_802B = 64,
    LT_802G = 65,
    LT_802A = 66,
    LT_POWER_LV0 = 78,
    LT_802N = 82,
    LT_802AC = 83,
    LT_802AX = 84,
};

QString CommonText(int index);
// "Infrastructure" for network type 1, "AdHoc" for any other.
QString NetTypeText(uint32_t networkType);
// The 802.11 standard of mode 1 (b), 2 (a) or 3 (g); empty for any other.
QString DotModeText(uint32_t mode);
// 1 shared key, 2 automatic switch, anything else open.
QString AuthModeText(uint32_t mode);
QString MacText(const uint8_t* mac);
// The link rate byte (half megabits per second) with its unit: "5.5 Mbps", "54 Mbps".
QString TxRateText(int rate);
// The label of a transmit power level 0 (strongest) to 3; empty for any other level.
QString PowerText(uint32_t level);
// A length-counted network name (at most the record's 32 bytes), shown up to its first zero byte.
QString SsidText(const uint8_t* ssid, uint32_t length);
// The library's channel of a frequency; 0 while no library is bound.
int ChannelOf(uint32_t frequency);
// Kilobits (of 1024 bits) per second between two byte counts; 0 when the count went backwards or no time
// passed.
double ThroughputKbps(uint64_t oldCount, uint64_t newCount, uint32_t elapsedMs);
// A millisecond tick that wraps like the system's 32-bit tick count; never 0, which means "no sample".
uint32_t TickCount();
// One line that says why a connect failed, such as "Could not connect to Harbor-Office: the network refused
// the key"; without a known reason only that it failed.
QString ConnectFailureText(const TConnectFailure& failure);
// Why there is no adapter, for a library's service state (TSRWL_SERVICE_*); empty when the service is there.
QString ServiceText(int state);
