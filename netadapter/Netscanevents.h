#pragma once

#include <cstdint>
#include <string>

struct nl_sock;
struct nl_msg;

// The kernel's scan events of one interface (nl80211's "scan" group, which needs no privilege), from the
// moment it is opened: whether a scan started since, and whether a scan that started since has ended. A scan
// requested through the manager while another runs is queued behind it; only one that started after the
// request has seen every network on the air now.

class CNetScanEvents {
public:
    CNetScanEvents() = default;
    ~CNetScanEvents();
    CNetScanEvents(const CNetScanEvents&) = delete;
    CNetScanEvents& operator=(const CNetScanEvents&) = delete;

    // False when the kernel's events cannot be followed (no nl80211, no such interface).
    bool Open(const std::string& iface);
    // Takes in the events that came since the last call, without waiting.
    void Take();
    // One event, as the kernel sends it (public for tests, which build messages by hand).
    void Note(nl_msg* msg);
    bool Ended() const { return m_ended; }
    // CLOCK_BOOTTIME in ms (the manager's LastScan clock) when the end was taken in.
    int64_t EndedAtMs() const { return m_endedAtMs; }
    void FollowIndex(uint32_t index) { m_index = index; }

private:
    nl_sock* m_sock = nullptr;
    uint32_t m_index = 0;
    bool m_started = false, m_ended = false;
    int64_t m_endedAtMs = 0;
};
