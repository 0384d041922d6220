#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>
#include <functional>

// Small helpers shared by the test suites.
namespace testutil {

inline QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

// Polls `condition` (processing events) until it holds or `timeoutMs` passes.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

// Folder of the runnable program (wlanutil, its files and the adapter library) and of the test programs.
inline QString BinDir()
{
    return qEnvironmentVariable("WLANUTIL_BIN_DIR");
}
inline QString TestBinDir()
{
    return qEnvironmentVariable("WLANUTIL_TEST_BIN_DIR");
}

} // namespace testutil
