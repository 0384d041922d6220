#include "Usignalwatch.h"
#include "Udebug.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int WATCHED[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the watch; -1 while no watch is installed.
volatile sig_atomic_t g_WriteFd = -1;
int g_ReadFd = -1;
volatile sig_atomic_t g_Received = 0;

void OnSignal(int number)
{
    // Only async-signal-safe calls here. The first signal asks for the orderly end; another one means
    // that end is not wanted or hangs.
    if (g_Received)
        _exit(0);
    g_Received = 1;
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    if (g_WriteFd >= 0 && write(g_WriteFd, &byte, 1) < 0) {
        // A full pipe already holds a wake-up.
    }
    errno = saved;
}

} // namespace

CSignalWatch::CSignalWatch(QObject* parent) : QObject(parent) {}

CSignalWatch::~CSignalWatch()
{
    Uninstall();
}

bool CSignalWatch::Install()
{
    int fds[2];
    if (g_ReadFd >= 0 || pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        DebugPrint("CSignalWatch::Install: no pipe for the signals: %s",
                   g_ReadFd >= 0 ? "already installed" : strerror(errno));
        return false;
    }
    g_ReadFd = fds[0];
    g_WriteFd = fds[1];
    g_Received = 0;
    m_Notifier = new QSocketNotifier(qintptr(g_ReadFd), QSocketNotifier::Read, this);
    connect(m_Notifier, &QSocketNotifier::activated, this, &CSignalWatch::OnReadable);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : WATCHED) {
        if (sigaction(number, &action, nullptr) != 0) {
            DebugPrint("CSignalWatch::Install: signal %d: %s", number, strerror(errno));
            Uninstall();
            return false;
        }
    }
    return true;
}

void CSignalWatch::Uninstall()
{
    if (g_ReadFd < 0)
        return;
    // The end is running (or the watch is gone): a signal from now on ends the process at once.
    g_Received = 1;
    delete m_Notifier;
    m_Notifier = nullptr;
    const int writeFd = g_WriteFd;
    g_WriteFd = -1;
    close(writeFd);
    close(g_ReadFd);
    g_ReadFd = -1;
}

void CSignalWatch::OnReadable()
{
    unsigned char byte = 0;
    const ssize_t n = read(g_ReadFd, &byte, 1);
    if (n != 1)
        return;
    DebugPrint("signal %d: closing", int(byte));
    Q_EMIT Terminate(int(byte));
}
