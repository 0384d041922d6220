#include "Nettaken.h"

#include "adaptercore/Corepaths.h"

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <unistd.h>

bool CNetTaken::Same(const Device& device, const std::string& iface, const std::string& permanent)
{
    if (!device.permanent.empty() && !permanent.empty())
        return device.permanent == permanent;
    return device.iface == iface;
}

void CNetTaken::ReadLeftover()
{
    std::string text;
    if (m_file.empty() || !ReadFileText(m_file, text))
        return;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        Device device;
        std::string rest;
        if (!(fields >> device.iface >> device.permanent) || (fields >> rest)) {
            CoreLog("\"%s\" in %s is not a record of a device's autoconnect; it is dropped", line.c_str(),
                    m_file.c_str());
            continue;
        }
        if (device.permanent == "-")
            device.permanent.clear();
        if (!Find(device.iface, device.permanent))
            m_devices.push_back(device);
    }
    Save();
}

const CNetTaken::Device* CNetTaken::Find(const std::string& iface, const std::string& permanent) const
{
    const auto found = std::find_if(m_devices.begin(), m_devices.end(),
                                    [&](const Device& d) { return Same(d, iface, permanent); });
    return found == m_devices.end() ? nullptr : &*found;
}

bool CNetTaken::Add(const Device& device)
{
    if (!Find(device.iface, device.permanent))
        m_devices.push_back(device);
    return Save();
}

void CNetTaken::Remove(const Device& device)
{
    m_devices.erase(std::remove_if(m_devices.begin(), m_devices.end(),
                                   [&](const Device& d) { return Same(d, device.iface, device.permanent); }),
                    m_devices.end());
    Save();
}

bool CNetTaken::Save() const
{
    if (m_file.empty())
        return true;
    if (m_devices.empty())
        return unlink(m_file.c_str()) == 0 || errno == ENOENT;
    std::string text;
    for (const Device& d : m_devices)
        text += d.iface + " " + (d.permanent.empty() ? "-" : d.permanent) + "\n";
    const bool saved = MakePrivateDirs(m_file.substr(0, m_file.rfind('/'))) && WriteFileAtomic(m_file, text);
    if (!saved)
        CoreLog("cannot keep the devices' autoconnect in %s: after a crash it stays off", m_file.c_str());
    return saved;
}
