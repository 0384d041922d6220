#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// Drives a per-user socket server of the program as a client process would: connects, sends the input in
// one piece, hangs up its sending side and lets the server's event loop run until the server has hung up
// too. Waiting for that hang-up rather than for a time makes each run as short as the server's work.
class CSocketFuzz {
public:
    CSocketFuzz()
    {
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        qputenv("XDG_RUNTIME_DIR", m_Dir.path().toUtf8());
    }
    QString Dir() const { return m_Dir.path(); }

    // What the server did with one client's input.
    struct Outcome {
        bool Connected = false;
        bool HungUp = false; // it closed its end in time, as it must once the client has sent everything
        size_t Answered = 0; // bytes it sent back
    };

    static Outcome Send(const QString& path, const uint8_t* data, size_t size)
    {
        Outcome outcome;
        const int fd = Connect(QFile::encodeName(path));
        if (fd < 0)
            return outcome;
        outcome.Connected = true;
        // Larger than a socket buffer, the rest is sent as the server drains it.
        size_t sent = 0;
        bool halfClosed = false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < GIVE_UP_MS) {
            sent += SendSome(fd, data + sent, size - sent);
            if (sent == size && !halfClosed)
                halfClosed = shutdown(fd, SHUT_WR) == 0;
            QCoreApplication::processEvents();
            // Sockets the server let go are deleted later; without this they would pile up.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (HungUp(fd, outcome.Answered)) {
                outcome.HungUp = true;
                break;
            }
        }
        close(fd);
        return outcome;
    }

private:
    // A server that has not hung up by then is stuck; the fuzzer's own time-out reports a real hang.
    static constexpr qint64 GIVE_UP_MS = 2000;

    static int Connect(const QByteArray& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (size_t(path.size()) >= sizeof address.sun_path)
            return -1;
        memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return fd;
        if (fd >= 0)
            close(fd);
        return -1;
    }

    static size_t SendSome(int fd, const uint8_t* data, size_t size)
    {
        if (size == 0)
            return 0;
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        return n > 0 ? size_t(n) : 0;
    }

    // Reads what the server answered, counting it; true once it has closed its end.
    static bool HungUp(int fd, size_t& answered)
    {
        char answer[256];
        for (;;) {
            const ssize_t n = recv(fd, answer, sizeof answer, MSG_DONTWAIT);
            if (n == 0)
                return true;
            if (n < 0)
                return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
            answered += size_t(n);
        }
    }

    QTemporaryDir m_Dir;
};
