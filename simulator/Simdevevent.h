#pragma once

#include <string>

// Tells a listening program about device events of the simulated adapter, over the per-user local socket
// <runtime dir>/<profile root>_DeviceEvent, one text line per event ("ARRIVAL <path> <hardware id>").

// The device path under which the simulated adapter is announced.
extern const char* const kSimDevicePath;

// Sends the line (a '\n' is added). False when nobody listens or the line does not fit; that is not an error.
bool AnnounceDeviceEvent(const std::string& profRoot, const std::string& line);
