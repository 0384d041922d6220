#pragma once

#include "realfixture.h"

#include <cstdlib>

// What the kernel and the manager say about the device's link, for tests that must see whether the library
// disturbed it: a new association starts the kernel's count of connected time again, a new activation is a
// new object of the manager.
class RealLinkTest : public RealStackTest {
protected:
    // The number that follows `key` in a command's output (its first line with it), or -1.
    static double NumberAfter(const std::string& output, const std::string& key)
    {
        const size_t at = output.find(key);
        return at == std::string::npos ? -1 : strtod(output.c_str() + at + key.size(), nullptr);
    }
    // Seconds the device has been associated with its access point (-1 without one).
    static double ConnectedSeconds()
    {
        return NumberAfter(Run("iw dev wlan0 station dump"), "connected time:");
    }
    // The device's connection and its activation object.
    static std::string Active()
    {
        return Run("nmcli -g GENERAL.CONNECTION,GENERAL.CON-PATH device show wlan0");
    }
};
