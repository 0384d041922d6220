#pragma once

#include "testutil.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace testutil {

// What a hostile process of the same user does to a local socket: it connects again and again until the
// process has no descriptor left. The test shares the process with the server, so a lowered descriptor limit
// makes the server's own accept fail the way it does with a real flood. Everything is given back when the
// flood ends.
class DescriptorFlood {
public:
    // Lowers the descriptor limit to `headroom` above what is open now, then fills it up.
    DescriptorFlood(const QString& path, int headroom)
    {
        getrlimit(RLIMIT_NOFILE, &m_Saved);
        rlimit lowered = m_Saved;
        lowered.rlim_cur = rlim_t(QDir("/proc/self/fd").count() + headroom);
        setrlimit(RLIMIT_NOFILE, &lowered);
        const QByteArray name = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        memcpy(address.sun_path, name.constData(), size_t(name.size()) + 1);
        // Until socket() itself fails; a full backlog is waited out so the server keeps taking connections.
        for (int attempt = 0; attempt < 100000; ++attempt) {
            const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0) {
                Exhausted = errno == EMFILE;
                break;
            }
            m_Fds.push_back(fd);
            if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
                continue;
            m_Fds.pop_back();
            close(fd);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        // One more connection waits in the queue while no descriptor is free to take it.
        if (Exhausted && !m_Fds.empty()) {
            close(m_Fds.back());
            m_Fds.back() = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            connect(m_Fds.back(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
        }
        // Long enough for the server to meet the exhaustion and its backoff to run several times.
        WaitFor([] { return false; }, 600);
    }
    ~DescriptorFlood() { End(); }

    void End()
    {
        for (const int fd : m_Fds)
            close(fd);
        m_Fds.clear();
        setrlimit(RLIMIT_NOFILE, &m_Saved);
    }

    bool Exhausted = false;

private:
    rlimit m_Saved{};
    std::vector<int> m_Fds;
};

} // namespace testutil
