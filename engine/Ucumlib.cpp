#include "Ucumlib.h"
#include "app/Udebug.h"

#include <dlfcn.h>

CTSLib g_TSLib;

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
#define TSRWL_BIND(name, result, args)                                                                        \
    name = reinterpret_cast<name##_t>(dlsym(m_Module, #name));                                                \
    if (!name) {                                                                                              \
        DebugPrint("CTSLib::Load missing %s", #name);                                                         \
        return false;                                                                                         \
    }
    TSRWL_FUNCTIONS(TSRWL_BIND)
#undef TSRWL_BIND
    m_Bound = true;
    TSRWL_Initial("Tessar", 1);
    SynchEvent.Set();
    return true;
}

void CTSLib::Unload()
{
#define TSRWL_CLEAR(name, result, args) name = nullptr;
    TSRWL_FUNCTIONS(TSRWL_CLEAR)
#undef TSRWL_CLEAR
    m_Bound = false;
    SynchEvent.Wait(0);
    if (m_Module)
        dlclose(m_Module);
    m_Module = nullptr;
}

bool CTSLib::Acquire(CStopSignal& stop)
{
    if (WaitForAny({&SynchEvent, &stop.Event}) == 0)
        return true;
    stop.Terminated = true;
    stop.Event.Set();
    return false;
}

bool CTSLib::Acquire()
{
    return SynchEvent.Wait();
}

void CTSLib::Release()
{
    SynchEvent.Set();
}

int CTSLib::ReadWLANStatus(WLANStatus* status)
{
    uint32_t written = 0;
    if (TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &status->MediaState, sizeof status->MediaState, &written) !=
        0)
        return -99;
    if (status->MediaState != 0)
        return -99;
    int32_t repeat = 0;
    int result = TSRWL_GetWLANStatus(&repeat, status);
    if (repeat != 0)
        result = TSRWL_GetWLANStatus(&repeat, status);
    return result;
}
