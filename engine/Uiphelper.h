#pragma once

#include <QString>
#include <memory>

// What the IP thread needs of the system: find the network interface of the adapter and release or renew
// its DHCP lease.
class IIpHelper {
public:
    virtual ~IIpHelper() = default;
    // Name of the first interface whose lower-cased description contains `wantedLower`; empty when there is
    // none or the interface list cannot be read.
    virtual QString FindInterface(const QString& wantedLower) = 0;
    virtual bool Release(const QString& interfaceName) = 0;
    virtual bool Renew(const QString& interfaceName) = 0;
};

// The system's helper (interface list and the DHCP client), unless tests put another in its place.
std::shared_ptr<IIpHelper> IpHelper();
void SetIpHelper(std::shared_ptr<IIpHelper> helper);
