#pragma once

#include "Simrequest.h"
#include "Simstate.h"

#include <optional>

// The soft access point of the simulated adapter: what a Soft AP profile starts, and which stations it lets
// in (its MAC filter and its WEP key decide).

enum class SimStationVerdict {
    Associated,
    Waiting,     // its join time after the start has not come yet
    NotAccepted, // the filter accepts only listed stations, and it is not listed
    Rejected,    // the filter rejects listed stations, and it is listed
    WrongKey,    // the access point uses WEP and the station has another key or none
};

// The link of the access point that `request` starts, or nothing when the adapter cannot start it: no Soft AP
// support, no SSID, a band it lacks, a channel the domain does not allow an access point to start on, or a
// WEP transmit key that is no key. Channel 0 takes the first allowed channel. All-zero filter entries are
// empty slots.
std::optional<SimLink> AccessPointLink(const SimAdapter& adapter, const SimConnectRequest& request,
                                       int64_t nowMs);
// Whether `station` is associated with the access point of `link` at `nowMs`, and if not, why.
SimStationVerdict StationVerdict(const SimLink& link, const SimStation& station, int64_t nowMs);
const char* VerdictText(SimStationVerdict verdict);
// One line about the access point of `link`: hidden SSID, power level, security and filter.
std::string AccessPointText(const SimLink& link);
