#include "Usignalwatch.h"
#include "Udebug.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int WATCHED[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the watch; -1 while the signals are not caught.
volatile sig_atomic_t g_WriteFd = -1;
int g_ReadFd = -1;
volatile sig_atomic_t g_Received = 0;
bool g_Watched = false;

// Socket files an end forced by a second signal removes. A slot is claimed (1), filled and published (2);
// the handler reads only published ones.
constexpr int MAX_SOCKET_FILES = 4;
constexpr size_t MAX_SOCKET_PATH = 108;
std::atomic<int> g_SlotState[MAX_SOCKET_FILES];
char g_SocketFiles[MAX_SOCKET_FILES][MAX_SOCKET_PATH];

// The orderly end takes under two seconds; one that has not come by this time after the signal (a window
// thread stuck in the toolkit, say) is forced.
constexpr unsigned FORCED_END_S = 5;

std::atomic<bool> g_Forced{false};

void RemoveListed()
{
    g_Forced = true;
    for (int i = 0; i < MAX_SOCKET_FILES; ++i)
        if (g_SlotState[i].load() == 2)
            unlink(g_SocketFiles[i]);
}

[[noreturn]] void ForceEnd(int)
{
    RemoveListed();
    _exit(0);
}

void OnSignal(int number)
{
    // Only async-signal-safe calls here. The first signal asks for the orderly end; another one means
    // that end is not wanted or hangs.
    if (g_Received)
        ForceEnd(number);
    g_Received = 1;
    alarm(FORCED_END_S);
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

bool CSignalWatch::CatchEarly()
{
    if (g_ReadFd >= 0)
        return true;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        DebugPrint("CSignalWatch: no pipe for the signals: %s", strerror(errno));
        return false;
    }
    g_ReadFd = fds[0];
    g_WriteFd = fds[1];
    g_Received = 0;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : WATCHED) {
        if (sigaction(number, &action, nullptr) != 0) {
            DebugPrint("CSignalWatch: signal %d: %s", number, strerror(errno));
            return false;
        }
    }
    action.sa_handler = ForceEnd;
    sigaction(SIGALRM, &action, nullptr);
    return true;
}

bool CSignalWatch::Install()
{
    if (g_Watched) {
        DebugPrint("CSignalWatch::Install: already installed");
        return false;
    }
    if (!CatchEarly()) {
        Uninstall();
        return false;
    }
    g_Watched = true;
    m_Notifier = new QSocketNotifier(qintptr(g_ReadFd), QSocketNotifier::Read, this);
    connect(m_Notifier, &QSocketNotifier::activated, this, &CSignalWatch::OnReadable);
    return true;
}

void CSignalWatch::Uninstall()
{
    if (g_ReadFd < 0)
        return;
    // The end is running (or the watch is gone): a signal from now on ends the process at once.
    g_Received = 1;
    g_Watched = false;
    delete m_Notifier;
    m_Notifier = nullptr;
    const int writeFd = g_WriteFd;
    g_WriteFd = -1;
    close(writeFd);
    close(g_ReadFd);
    g_ReadFd = -1;
}

void CSignalWatch::RemoveOnForcedEnd(const QByteArray& path)
{
    if (path.isEmpty() || size_t(path.size()) >= MAX_SOCKET_PATH)
        return;
    for (int i = 0; i < MAX_SOCKET_FILES; ++i) {
        int free = 0;
        if (!g_SlotState[i].compare_exchange_strong(free, 1))
            continue;
        memcpy(g_SocketFiles[i], path.constData(), size_t(path.size()) + 1);
        g_SlotState[i].store(2);
        return;
    }
}

bool CSignalWatch::EndForced()
{
    return g_Forced;
}

void CSignalWatch::RemoveSocketFiles()
{
    RemoveListed();
}

void CSignalWatch::Forget(const QByteArray& path)
{
    for (int i = 0; i < MAX_SOCKET_FILES; ++i) {
        int published = 2;
        if (g_SlotState[i].load() == 2 && strcmp(g_SocketFiles[i], path.constData()) == 0 &&
            g_SlotState[i].compare_exchange_strong(published, 1))
            g_SlotState[i].store(0);
    }
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
