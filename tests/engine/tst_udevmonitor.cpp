#include "engine/Udevmonitor.h"

#include <gtest/gtest.h>

namespace {

struct IdCase {
    const char* bus;
    const char* vendor;
    const char* model;
    const char* expected;
};

// The settings keep the hardware ids in their Windows form; a mismatch in case, padding or prefix would make
// an accepted adapter look foreign.
const IdCase ID_CASES[] = {
    {"usb", "f5e1", "0301", "USB\\VID_F5E1&PID_0301"},
    {"USB", "0bda", "8179", "USB\\VID_0BDA&PID_8179"},
    {"pci", "0x168c", "0x002b", "PCI\\VEN_168C&DEV_002B"},
    {"pci", "8086", "a0f0", "PCI\\VEN_8086&DEV_A0F0"},
    {"usb", "bda", "1", "USB\\VID_0BDA&PID_0001"},
    {"sdio", "02d0", "4330", ""},
    {"", "f5e1", "0301", ""},
    {"usb", "", "0301", ""},
    {"usb", "f5e1", "", ""},
    {"usb", "12345", "0301", ""},
    {"usb", "zz", "0301", ""},
    {"pci", "0x", "0x002b", ""},
};

} // namespace

TEST(UdevMonitorTest, HardwareIdFromBusAndIds)
{
    for (const IdCase& c : ID_CASES)
        EXPECT_EQ(HwIdFromIds(c.bus, c.vendor, c.model), c.expected)
            << c.bus << " " << c.vendor << " " << c.model;
}
