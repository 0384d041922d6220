#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <unistd.h>

// The file a harness hands to a reader that only takes paths; one per process, made once and removed when
// the run ends. In memory where the system has a folder for that: the writers flush every file to disk, which
// would take most of each run.
class CFuzzFile {
public:
    explicit CFuzzFile(const char* name)
        : m_Path(Folder() + QStringLiteral("/wlanutil-fuzz-%1-%2").arg(getpid()).arg(QLatin1String(name)))
    {
    }
    ~CFuzzFile() { QFile::remove(m_Path); }
    CFuzzFile(const CFuzzFile&) = delete;
    CFuzzFile& operator=(const CFuzzFile&) = delete;

    const QString& Path() const { return m_Path; }
    void Write(const uint8_t* data, size_t size) const
    {
        QFile f(m_Path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(reinterpret_cast<const char*>(data), qint64(size));
    }

private:
    static QString Folder()
    {
        return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    }

    QString m_Path;
};
