#pragma once

#include <string>

// Tells a listening program about device events of the simulated adapter, over the per-user local socket
// <runtime dir>/<profile root>_DeviceEvent, one text line per event ("ARRIVAL <path> <hardware id>").

// The device path under which the simulated adapter is announced.
extern const char* const kSimDevicePath;

enum class Announced {
    Taken,      // the program answered that it took the event
    NoListener, // nobody listens (or the line does not fit): not an error
    NotTaken,   // a program listens but turned the event away, hung up or did not answer in time
};

// Sends the line (a '\n' is added) and waits for the program's answer; `answer` receives its text ("OK",
// "ERR", "BUSY") or what went wrong.
Announced AnnounceDeviceEvent(const std::string& profRoot, const std::string& line,
                              std::string* answer = nullptr);
