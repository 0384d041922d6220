#pragma once

#include <string>
#include <vector>

// The devices whose autoconnect the library switched off when it took them from the network manager, one line
// per device (interface, permanent address or "-"), kept on disk before each change so that a program that
// ends without giving the devices back has them switched on again at its next start.
class CNetTaken {
public:
    struct Device {
        std::string iface;
        std::string permanent; // empty when the manager does not know it
    };

    explicit CNetTaken(std::string file) : m_file(std::move(file)) {}

    // Takes in the records on disk that are not kept yet (a program that ended without handing back left
    // them); lines that are not records are dropped with a log line.
    void ReadLeftover();
    // The record of the device, if the library switched its autoconnect off: the same permanent address, or
    // for a device without one the same interface.
    const Device* Find(const std::string& iface, const std::string& permanent) const;
    // Keeps the record, on disk first; false when the disk did not take it (it is kept in memory still).
    bool Add(const Device& device);
    void Remove(const Device& device);
    const std::vector<Device>& Devices() const { return m_devices; }

    static bool Same(const Device& device, const std::string& iface, const std::string& permanent);

private:
    bool Save() const;

    std::string m_file;
    std::vector<Device> m_devices;
};
