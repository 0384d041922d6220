#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
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

// How often `text` was logged in `log`: each line holding it (or, with `wholeLine`, being it) counts once,
// plus the repeats the log noted right after it, since a line the same as the one before is counted there
// instead of written again. `text` may end in "\r\n" to match only at a line's end.
inline int CountLogged(const QString& log, const QString& text, bool wholeLine = false)
{
    static const QRegularExpression note(QStringLiteral(R"(^\(the line before came (\d+) more times\)$)"));
    const QStringList lines = log.split(QStringLiteral("\r\n"));
    int count = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (wholeLine ? lines[i] != text : !(lines[i] + QStringLiteral("\r\n")).contains(text))
            continue;
        ++count;
        const QRegularExpressionMatch repeats =
            i + 1 < lines.size() ? note.match(lines[i + 1]) : QRegularExpressionMatch();
        if (repeats.hasMatch())
            count += repeats.captured(1).toInt();
    }
    return count;
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
