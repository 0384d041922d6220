#pragma once

#include "Netbus.h"

#include <string>
#include <vector>

// One activation followed through the signals sent while it runs, subscribed before it starts: the device's
// state changes with their reasons, the activation's own state, and the supplicant's 802.1x events. Reading
// the state afterwards is too late: the manager ends a failed activation and moves the device on (failed,
// then disconnected with no reason) within milliseconds, and drops the activation's object.

class CNetWatch {
public:
    CNetWatch(CNetBus& bus, const std::string& device);
    CNetWatch(const CNetWatch&) = delete;
    CNetWatch& operator=(const CNetWatch&) = delete;

    // The activation the manager answered with: signals about other activations are not its.
    void Follow(const std::string& active) { m_active = active; }
    // Whether the device's and the activation's signals reach the library at all.
    bool Listening() const { return m_deviceSignals && m_activeSignals; }
    // The activation's state as read from its object, for a signal missed (or none sent).
    void NoteActiveState(uint32_t state, uint32_t reason);

    enum class Outcome { Running, Activated, Failed };
    Outcome Result() const;
    // The device's reason for the failure: that of its fall to "failed" once the activation began, or else
    // the activation's own reason in the device's terms.
    uint32_t FailReason() const;
    // The supplicant broke off a TLS handshake itself: it did not trust the server's certificate.
    bool ServerUntrusted() const { return m_localTlsAlert; }

private:
    void OnDevice(sd_bus_message* m);
    void OnActive(sd_bus_message* m);
    void OnSupplicant(sd_bus_message* m);
    uint32_t ActiveState() const;

    struct ActiveChange {
        std::string path;
        uint32_t state, reason;
    };
    std::string m_active;
    std::vector<ActiveChange> m_activeChanges;
    bool m_prepared = false; // the device began an activation since the watch started
    bool m_deviceFailed = false;
    uint32_t m_deviceReason = 0;
    bool m_localTlsAlert = false;
    CNetBus::Subscription m_deviceSignals, m_activeSignals, m_supplicantSignals;
};
