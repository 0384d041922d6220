#include "Netwatch.h"

#include "Netreason.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kDevicePrepare = 40, kDeviceFailed = 120;
constexpr uint32_t kActiveActivated = 2, kActiveDeactivating = 3;

} // namespace

CNetWatch::CNetWatch(CNetBus& bus, const std::string& device)
{
    m_deviceSignals =
        bus.Subscribe(CNetBus::SignalRule(CNetBus::Service, CNetBus::DeviceIface, "StateChanged", device),
                      [this](sd_bus_message* m) { OnDevice(m); });
    // The activation's object is named only by the answer to the request, after its first signals.
    m_activeSignals =
        bus.Subscribe(CNetBus::SignalRule(CNetBus::Service, CNetBus::ActiveIface, "StateChanged"),
                      [this](sd_bus_message* m) { OnActive(m); });
    // Only root and the netdev group receive the supplicant's signals (its bus policy): for anyone else an
    // untrusted server shows as a refused login.
    m_supplicantSignals =
        bus.Subscribe(CNetBus::SignalRule("fi.w1.wpa_supplicant1", "fi.w1.wpa_supplicant1.Interface", "EAP"),
                      [this](sd_bus_message* m) { OnSupplicant(m); });
}

void CNetWatch::OnDevice(sd_bus_message* m)
{
    uint32_t state = 0, old = 0, reason = 0;
    if (sd_bus_message_read(m, "uuu", &state, &old, &reason) < 0)
        return;
    if (state == kDevicePrepare) { // a new attempt: what failed before it is not ours
        m_prepared = true;
        m_deviceFailed = false;
    } else if (state == kDeviceFailed && m_prepared) {
        m_deviceFailed = true;
        m_deviceReason = reason;
    }
}

void CNetWatch::OnActive(sd_bus_message* m)
{
    uint32_t state = 0, reason = 0;
    const char* path = sd_bus_message_get_path(m);
    if (path && sd_bus_message_read(m, "uu", &state, &reason) >= 0)
        m_activeChanges.push_back({path, state, reason});
}

void CNetWatch::OnSupplicant(sd_bus_message* m)
{
    const char* status = nullptr;
    const char* parameter = nullptr;
    if (sd_bus_message_read(m, "ss", &status, &parameter) < 0 || !status)
        return;
    // The supplicant sends an alert of its own when it rejects the server's certificate chain.
    if (strcmp(status, "local TLS alert") == 0 || (strcmp(status, "remote certificate verification") == 0 &&
                                                   parameter && strcmp(parameter, "success") != 0))
        m_localTlsAlert = true;
}

void CNetWatch::NoteActiveState(uint32_t state, uint32_t reason)
{
    if (state != ActiveState())
        m_activeChanges.push_back({m_active, state, reason});
}

uint32_t CNetWatch::ActiveState() const
{
    const auto last = std::find_if(m_activeChanges.rbegin(), m_activeChanges.rend(),
                                   [this](const ActiveChange& c) { return c.path == m_active; });
    return last == m_activeChanges.rend() ? 0 : last->state;
}

CNetWatch::Outcome CNetWatch::Result() const
{
    const uint32_t state = ActiveState();
    if (state == kActiveActivated)
        return Outcome::Activated;
    return state >= kActiveDeactivating || m_deviceFailed ? Outcome::Failed : Outcome::Running;
}

uint32_t CNetWatch::FailReason() const
{
    if (m_deviceFailed)
        return m_deviceReason;
    const auto last = std::find_if(m_activeChanges.rbegin(), m_activeChanges.rend(),
                                   [this](const ActiveChange& c) { return c.path == m_active; });
    return last == m_activeChanges.rend() ? 0 : DeviceReasonOfActivation(last->reason);
}
