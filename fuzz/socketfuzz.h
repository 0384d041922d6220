#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>

// Drives a per-user socket server of the program as a client process would: connects, sends the input in
// one piece, lets the server's event loop take it, and hangs up.
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

    static void Send(const QString& path, const QByteArray& data)
    {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (!socket.waitForConnected(1000))
            return;
        socket.write(data);
        socket.waitForBytesWritten(1000);
        // The server reads from this thread's event loop: run it until it has answered or a short while
        // passed.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5 && socket.state() == QLocalSocket::ConnectedState) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (socket.bytesAvailable() > 0)
                break;
        }
        socket.abort();
        QCoreApplication::processEvents();
    }

private:
    QTemporaryDir m_Dir;
};
