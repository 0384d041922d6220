#include "Uthreadipaddr.h"
#include "app/Udebug.h"

#include <exception>

namespace {

constexpr int STOP_WAIT_MS = 1000;

} // namespace

TThreadPtr<ThreadIPAddr> ThreadIPAddr::Create(const QString& description, int flags)
{
    TThreadPtr<ThreadIPAddr> thread(new ThreadIPAddr(description, flags));
    thread->Start("IPAddress");
    return thread;
}

ThreadIPAddr::ThreadIPAddr(const QString& description, int flags)
    : m_Description(description), m_Flags(flags), m_Helper(IpHelper())
{
}

void ThreadIPAddr::Execute()
{
    try {
        const QString nic = m_Helper->FindInterface(m_Description.toLower());
        if (nic.isEmpty()) {
            DebugPrint("get NIC index failed");
            return;
        }
        if (m_Flags & 1) {
            DebugPrint("IP release");
            m_Helper->Release(nic);
            DebugPrint("IP release done");
        }
        if (m_Flags & 2) {
            DebugPrint("IP renew");
            m_Helper->Renew(nic);
            DebugPrint("IP renew done");
        }
    } catch (const std::exception& e) {
        DebugPrint("Exception(ThreadIPAddr::Execute): %s", e.what());
    }
}

bool ThreadIPAddr::StopThread()
{
    DebugPrint("wait IPAddr Thread");
    bool ended = RequestStopAndWait(STOP_WAIT_MS);
    if (!ended) {
        DebugPrint(" TerminateThread");
        ended = !Abandon();
    }
    DebugPrint("stop IPAddr Thread");
    return ended;
}
