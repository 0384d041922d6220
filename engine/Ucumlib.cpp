#include "Ucumlib.h"
#include "app/Udebug.h"
#include "app/Udefine.h"

#include <QFile>
#include <dlfcn.h>

CTSLib g_TSLib;
const char* const LIBRARY_LOAD_FAILED = "Failed to load TSRWL.DLL library file.";
const char* const TSRWL_FILE_NAME = "libtsrwl.so";

bool BindAdapterLibrary(const CFAGlobalVar& settings)
{
    const QString path = settings.ExePath + QString::fromLatin1(TSRWL_FILE_NAME);
    if (!g_TSLib.Load(QFile::encodeName(path).toStdString())) {
        DebugPrint("%s", LIBRARY_LOAD_FAILED);
        return false;
    }
    if (!(settings.StartFlags & SF_SERVICE))
        g_TSLib.TSRWL_SetWLProfileDir(settings.ProfRoot.toUtf8().constData());
    return true;
}

CTSLib::~CTSLib()
{
    // The module stays mapped: threads abandoned at exit may still be inside it.
    m_Bound = false;
}

bool CTSLib::Load(const std::string& path)
{
    Unload();
    m_Module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_Module) {
        DebugPrint("CTSLib::Load %s", dlerror());
        return false;
    }
#define TSRWL_BIND(name, result, args)                                                                       \
    name = reinterpret_cast<name##_t>(dlsym(m_Module, #name));                                               \
    if (!name) {                                                                                             \
        DebugPrint("CTSLib::Load missing %s", #name);                                                        \
        return false;                                                                                        \
    }
    TSRWL_FUNCTIONS(TSRWL_BIND)
#undef TSRWL_BIND
    TSRWL_GetLastConnectError =
        reinterpret_cast<TSRWL_GetLastConnectError_t>(dlsym(m_Module, "TSRWL_GetLastConnectError"));
    if (!TSRWL_GetLastConnectError)
        DebugPrint("CTSLib::Load no TSRWL_GetLastConnectError: connect failures without their reason");
    TSRWL_GetServiceState =
        reinterpret_cast<TSRWL_GetServiceState_t>(dlsym(m_Module, "TSRWL_GetServiceState"));
    m_Bound = true;
    TSRWL_Initial("Tessar", 1);
    {
        std::lock_guard lock(m_HolderMutex);
        m_Holder = 0;
    }
    SynchEvent.Set();
    return true;
}

void CTSLib::Unload()
{
#define TSRWL_CLEAR(name, result, args) name = nullptr;
    TSRWL_FUNCTIONS(TSRWL_CLEAR)
#undef TSRWL_CLEAR
    TSRWL_GetLastConnectError = nullptr;
    TSRWL_GetServiceState = nullptr;
    m_Bound = false;
    SynchEvent.Wait(0);
    {
        std::lock_guard lock(m_HolderMutex);
        m_Holder = 0;
    }
    if (m_Module)
        dlclose(m_Module);
    m_Module = nullptr;
}

TLibTicket CTSLib::TakeTicket(CStopSignal* stop)
{
    std::lock_guard lock(m_HolderMutex);
    m_Holder = ++m_LastTicket;
    if (stop)
        stop->LibTicket = m_Holder;
    return m_Holder;
}

TLibTicket CTSLib::Acquire(CStopSignal& stop)
{
    // A thread asked to stop starts no library work, even when the library happens to be free.
    if (!stop.Terminated && WaitForAny({&SynchEvent, &stop.Event}) == 0) {
        const TLibTicket ticket = TakeTicket(&stop);
        // The stop may have come while the lock was being taken; the owner then may not see it held.
        if (!stop.Terminated)
            return ticket;
        Release(ticket);
    }
    stop.Terminated = true;
    stop.Event.Set();
    return 0;
}

TLibTicket CTSLib::Acquire()
{
    SynchEvent.Wait();
    return TakeTicket(nullptr);
}

void CTSLib::Release(TLibTicket ticket)
{
    {
        std::lock_guard lock(m_HolderMutex);
        if (ticket == 0 || ticket != m_Holder)
            return;
        m_Holder = 0;
    }
    SynchEvent.Set();
}

bool CTSLib::Holds(TLibTicket ticket) const
{
    std::lock_guard lock(m_HolderMutex);
    return ticket != 0 && ticket == m_Holder;
}

bool CTSLib::ReleaseAbandoned(const CStopSignal& stop)
{
    {
        std::lock_guard lock(m_HolderMutex);
        if (stop.LibTicket == 0 || stop.LibTicket != m_Holder)
            return false;
        m_Holder = 0;
    }
    SynchEvent.Set();
    return true;
}

bool CTSLib::ReadMediaState(uint32_t& media)
{
    uint32_t written = 0;
    return TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, sizeof media, &written) == 0;
}

int CTSLib::ReadWLANStatus(WLANStatus* status)
{
    if (!ReadMediaState(status->MediaState) || status->MediaState != 0)
        return -99;
    int32_t repeat = 0;
    int result = TSRWL_GetWLANStatus(&repeat, status);
    if (repeat != 0)
        result = TSRWL_GetWLANStatus(&repeat, status);
    return result;
}
