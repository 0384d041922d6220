#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// Values exchanged with the network manager: property values read from it and the connection settings sent to
// it. Only the D-Bus types this library uses are kept; others are skipped when read.

using NetBytes = std::vector<uint8_t>;
// An IPv4 address list as the manager takes it ("address-data": address text and prefix length).
using NetAddressList = std::vector<std::pair<std::string, uint32_t>>;

struct NetValue {
    std::variant<std::monostate, uint32_t, int32_t, uint64_t, bool, std::string, NetBytes,
                 std::vector<std::string>, std::vector<uint32_t>, NetAddressList>
        v;

    NetValue() = default;
    template <typename T> NetValue(T value) : v(std::move(value)) {}
    NetValue(const char* text) : v(std::string(text)) {}

    template <typename T> const T* As() const { return std::get_if<T>(&v); }
    // Numbers of any width as one unsigned value; `def` when the value is no number.
    uint64_t Number(uint64_t def = 0) const;
    std::string Text() const; // strings and object paths; empty otherwise
};

using NetProps = std::map<std::string, NetValue>;
// Connection settings: setting name -> (key -> value), as a{sa{sv}}.
using NetSettings = std::map<std::string, NetProps>;
