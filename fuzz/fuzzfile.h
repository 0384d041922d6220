#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <unistd.h>

// The file a harness hands to a reader that only takes paths; one per process. In memory where the system
// has a folder for that: the writers flush every file to disk, which would take most of each run.
inline QString FuzzFile(const char* name)
{
    const QString folder =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return folder + QStringLiteral("/wlanutil-fuzz-%1-%2").arg(getpid()).arg(QLatin1String(name));
}

inline void WriteFuzzFile(const QString& path, const uint8_t* data, size_t size)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
}
