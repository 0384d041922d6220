#include "realnetworks.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

const RealNetworks& RealNetworks::Get()
{
    static const RealNetworks table = [] {
        RealNetworks t;
        std::string error;
        if (!t.Load(REALSTACK_NETWORKS, error))
            ADD_FAILURE() << REALSTACK_NETWORKS << ": " << error;
        return t;
    }();
    return table;
}

bool RealNetworks::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot be read";
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
        if (!AddLine(line, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
    return true;
}

bool RealNetworks::AddLine(const std::string& line, std::string& error)
{
    std::istringstream words(line);
    std::string kind;
    if (!(words >> kind) || kind[0] == '#')
        return true;
    if (kind == "radio") {
        std::string name;
        int channel = 0;
        words >> name >> channel;
        m_channels[name] = channel;
    } else if (kind == "net") {
        RealNetwork n;
        std::string flags;
        words >> n.id >> n.radio >> n.ssid >> n.security >> n.secret >> n.subnet >> flags;
        if (flags.empty() || !m_channels.count(n.radio)) {
            error = "a network needs seven fields and a radio named before it";
            return false;
        }
        n.channel = m_channels[n.radio];
        n.hidden = ("," + flags + ",").find(",hidden,") != std::string::npos;
        n.dhcp = ("," + flags + ",").find(",nodhcp,") == std::string::npos;
        m_nets.push_back(n);
    } else if (kind == "login") {
        std::string method, user, password;
        words >> method >> user >> password;
        m_logins[method] = {user, password};
    } else {
        error = "unknown kind " + kind;
        return false;
    }
    return true;
}

const RealNetwork& RealNetworks::Net(const std::string& id) const
{
    for (const RealNetwork& n : m_nets)
        if (n.id == id)
            return n;
    ADD_FAILURE() << "networks.conf has no network " << id;
    static const RealNetwork none;
    return none;
}

std::pair<std::string, std::string> RealNetworks::Login(const std::string& method) const
{
    const auto found = m_logins.find(method);
    if (found == m_logins.end())
        ADD_FAILURE() << "networks.conf has no " << method << " login";
    return found == m_logins.end() ? std::pair<std::string, std::string>() : found->second;
}
