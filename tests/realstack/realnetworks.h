#pragma once

#include <map>
#include <string>
#include <vector>

// One network the guest's access points serve, as networks.conf describes it.
struct RealNetwork {
    std::string id, radio, ssid, security, secret, subnet;
    int channel = 0;
    bool hidden = false, dhcp = true;

    // The first and last address the network's DHCP server lends.
    std::string FirstLease() const { return subnet + ".100"; }
    std::string LastLease() const { return subnet + ".199"; }
};

// The table of networks, radios and 802.1x logins the guest script serves (tests/realstack/networks.conf).
class RealNetworks {
public:
    // The table of this build's source tree, read once; a table that cannot be read fails the test using it.
    static const RealNetworks& Get();
    bool Load(const std::string& path, std::string& error);

    const RealNetwork& Net(const std::string& id) const;
    const std::vector<RealNetwork>& All() const { return m_nets; }
    // A login's user and password by method (peap, ttls, tls).
    std::pair<std::string, std::string> Login(const std::string& method) const;

private:
    bool AddLine(const std::string& line, std::string& error);

    std::vector<RealNetwork> m_nets;
    std::map<std::string, int> m_channels;
    std::map<std::string, std::pair<std::string, std::string>> m_logins;
};
