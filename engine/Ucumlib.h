#pragma once

#include "Uevent.h"
#include "tsrwl.h"

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

    // Waits until the library is free or `stop` is signalled. On a stop request the thread is marked
    // terminated and its stop event raised again, and false tells the caller to skip the library work.
    bool Acquire(CStopSignal& stop);
    // For the GUI thread, which has no stop event.
    bool Acquire();
    void Release();
    bool IsFree() const { return SynchEvent.IsSet(); }

    // The link status; -99 when the adapter is not connected or its state cannot be read. Lock held by caller.
    int ReadWLANStatus(WLANStatus* status);

    CAutoEvent SynchEvent;

#define TSRWL_DECLARE_MEMBER(name, result, args) name##_t name = nullptr;
    TSRWL_FUNCTIONS(TSRWL_DECLARE_MEMBER)
#undef TSRWL_DECLARE_MEMBER

private:
    void* m_Module = nullptr;
    bool m_Bound = false;
};

extern CTSLib g_TSLib;

// Holds the library lock for one scope.
class CTSLibLock {
public:
    explicit CTSLibLock(CStopSignal& stop) : m_Held(g_TSLib.Acquire(stop)) {}
    CTSLibLock() : m_Held(g_TSLib.Acquire()) {}
    ~CTSLibLock()
    {
        if (m_Held)
            g_TSLib.Release();
    }
    CTSLibLock(const CTSLibLock&) = delete;
    CTSLibLock& operator=(const CTSLibLock&) = delete;
    explicit operator bool() const { return m_Held; }

private:
    bool m_Held;
};
