#pragma once

#include "Simrequest.h"
#include "Simscenario.h"
#include "Simstate.h"

#include <memory>
#include <optional>
#include <vector>

// The simulated adapter at one moment: the scenario, the shared state and the clock. The exported functions
// make one per call, so that every process sees the same world; within the call the state is read once and
// again only after the call changed it.

class CSimAdapter {
public:
    CSimAdapter(std::shared_ptr<const SimScenario> scenario, std::string statePath, int64_t nowMs);

    const SimScenario& Scenario() const { return *m_scenario; }
    // The state of this moment, read once per call and shared; valid until the next Update.
    std::shared_ptr<const SimState> Shared() const
    {
        if (!m_state)
            m_state = m_store.Shared(*m_scenario);
        return m_state;
    }
    const SimState& State() const { return *Shared(); }
    bool Update(const std::function<bool(SimState&)>& change) const
    {
        m_state.reset();
        return m_store.Update(*m_scenario, change);
    }

    bool Plugged() const;
    bool Detect(const char* hardwareId) const;
    // Media state as the status object reports it: 0 connected, 1 not.
    uint32_t MediaState() const;

    void StartScan() const;
    // Scan results of the last finished scan; empty while the first one runs.
    std::vector<TSSiteEntry> ScanResults() const;

    // Applies a request: joins a network or starts the access point. False when it does not fit.
    bool Apply(const SimConnectRequest& request) const;
    // Why the last connect failed (TSRWL_CONNECT_ERROR_*), with a line for the log in `detail`.
    int LastConnectError(std::string& detail) const;
    void FillStatus(WLANStatus& status) const;
    void FillNetworkInfo(NetworkInfo& info) const;
    void SetNetworkInfo(const NetworkInfo& info) const;
    void ReleaseAddress() const;
    void RenewAddress() const;
    std::vector<MacAddress> Stations() const;

    // The drifting signal level of a network at a moment.
    static int SignalAt(const SimNetwork& network, const SimState& state, int64_t ms);
    static bool InRange(const SimNetwork& network, const SimState& state);

private:
    bool Visible(const SimNetwork& network, const SimState& state) const;
    bool JoinStation(const SimConnectRequest& request, SimState& state) const;
    bool StartAccessPoint(const SimConnectRequest& request, SimState& state) const;
    // The network of a station link, when it is up (associated and still in range).
    const SimNetwork* LinkedNetwork(const SimState& state) const;
    bool LinkUp(const SimState& state) const;

    std::shared_ptr<const SimScenario> m_scenario;
    CSimStateStore m_store;
    mutable std::shared_ptr<const SimState> m_state;
    int64_t m_now;
};
