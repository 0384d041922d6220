#pragma once

#include "Uevent.h"
#include "adaptercore/tsrwl.h"

#include <cstdint>
#include <mutex>
#include <string>

// The binding to the adapter library: its module, the library lock and the 48 functions by name.
class CTSLib {
public:
    CTSLib() = default;
    ~CTSLib();
    CTSLib(const CTSLib&) = delete;
    CTSLib& operator=(const CTSLib&) = delete;

    // Loads the library and binds its functions in table order; false at the first one missing.
    bool Load(const std::string& path);
    bool IsLoaded() const { return m_Bound; }
    // Unbinds and unloads; the library lock is taken away. For tests that load several libraries.
    void Unload();

    // The library lock. Every hold has its own ticket (never 0), so that a release by a thread that no longer
    // holds the lock changes nothing: an owner that abandons a thread stuck in the library frees the lock
    // for others, and that thread's own release when it comes back must not free it a second time.
    //
    // Waits until the library is free or `stop` is signalled; 0 on a stop request (also one made before the
    // call), when the thread is marked terminated, its stop event raised again, and the caller skips the
    // library work.
    TLibTicket Acquire(CStopSignal& stop);
    // For the GUI thread, which has no stop event.
    TLibTicket Acquire();
    // Frees the lock when `ticket` is the current hold; otherwise nothing.
    void Release(TLibTicket ticket);
    bool Holds(TLibTicket ticket) const;
    // For an owner abandoning the thread of `stop`: frees the lock when that thread holds it. True when
    // freed.
    bool ReleaseAbandoned(const CStopSignal& stop);
    bool IsFree() const { return SynchEvent.IsSet(); }

    // The link status; -99 when the adapter is not connected or its state cannot be read. Lock held by
    // caller.
    int ReadWLANStatus(WLANStatus* status);
    // Only the media state (0 connected); false when it cannot be read. Lock held by caller.
    bool ReadMediaState(uint32_t& media);

    CAutoEvent SynchEvent;

#define TSRWL_DECLARE_MEMBER(name, result, args) name##_t name = nullptr;
    TSRWL_FUNCTIONS(TSRWL_DECLARE_MEMBER)
#undef TSRWL_DECLARE_MEMBER
    // Optional: null when the library cannot say why a connect failed.
    TSRWL_GetLastConnectError_t TSRWL_GetLastConnectError = nullptr;
    TSRWL_GetServiceState_t TSRWL_GetServiceState = nullptr; // optional too

private:
    TLibTicket TakeTicket(CStopSignal* stop);

    void* m_Module = nullptr;
    bool m_Bound = false;
    mutable std::mutex m_HolderMutex;
    TLibTicket m_Holder = 0;
    TLibTicket m_LastTicket = 0;
};

extern CTSLib g_TSLib;

// The text of a load failure of the adapter library, shown and logged word for word.
extern const char* const LIBRARY_LOAD_FAILED;
// Name of the adapter library beside the executable.
extern const char* const TSRWL_FILE_NAME;

class CFAGlobalVar;
// Binds the adapter library beside the executable of `settings` and, unless started as a service, points it
// at the program's profile folder. False when it cannot be loaded (logged; showing it is the caller's part).
bool BindAdapterLibrary(const CFAGlobalVar& settings);

// Holds the library lock for one scope.
class CTSLibLock {
public:
    explicit CTSLibLock(CStopSignal& stop) : m_Ticket(g_TSLib.Acquire(stop)) {}
    CTSLibLock() : m_Ticket(g_TSLib.Acquire()) {}
    ~CTSLibLock()
    {
        if (m_Ticket)
            g_TSLib.Release(m_Ticket);
    }
    CTSLibLock(const CTSLibLock&) = delete;
    CTSLibLock& operator=(const CTSLibLock&) = delete;
    explicit operator bool() const { return m_Ticket != 0; }
    // False once an owner freed the lock for others because this thread was abandoned.
    bool StillHeld() const { return g_TSLib.Holds(m_Ticket); }

private:
    TLibTicket m_Ticket;
};
