#include "Usafefolder.h"
#include "Udebug.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The system's own limit of links followed in one path.
constexpr int MAX_LINKS = 40;

bool OwnedSafely(const struct stat& st)
{
    return st.st_uid == geteuid() || st.st_uid == 0;
}

// Why the folder `st` describes lets another user change what is in it; null when it does not.
const char* FolderProblem(const struct stat& st)
{
    if (!S_ISDIR(st.st_mode))
        return "is no folder";
    if (!OwnedSafely(st))
        return "belongs to another user";
    if ((st.st_mode & S_IWOTH) && !(st.st_mode & S_ISVTX))
        return "is writable by others";
    if ((st.st_mode & S_IWGRP) && st.st_gid != getegid() && !(st.st_mode & S_ISVTX))
        return "is writable by a group of other users";
    return nullptr;
}

bool Refuse(const QString& dir, const QString& where, const char* problem)
{
    DebugPrintOnce(
        (QStringLiteral("%1 is not used for settings: %2 %3").arg(dir, where, QLatin1String(problem)))
            .toStdString());
    return false;
}

} // namespace

bool IsSafeFolder(const QString& dir)
{
    QStringList rest = QFileInfo(dir).absoluteFilePath().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (int links = 0; !rest.isEmpty();) {
        const QString part = rest.takeFirst();
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            current = current.left(std::max<qsizetype>(current.lastIndexOf(QLatin1Char('/')), 0));
            continue;
        }
        const QString path = current + QLatin1Char('/') + part;
        struct stat st {};
        if (lstat(QFile::encodeName(path).constData(), &st) != 0)
            return true; // made by the program, private
        if (S_ISLNK(st.st_mode)) {
            if (!OwnedSafely(st))
                return Refuse(dir, path, "is a link of another user");
            if (++links > MAX_LINKS)
                return Refuse(dir, path, "is a loop of links");
            const QByteArray raw = QFile::encodeName(path);
            char buffer[4096];
            const ssize_t n = readlink(raw.constData(), buffer, sizeof buffer - 1);
            if (n <= 0)
                return Refuse(dir, path, "is a link that cannot be read");
            const QString linked = QFile::decodeName(QByteArray(buffer, n));
            if (linked.startsWith(QLatin1Char('/')))
                current.clear();
            rest = linked.split(QLatin1Char('/'), Qt::SkipEmptyParts) + rest;
            continue;
        }
        if (const char* problem = FolderProblem(st))
            return Refuse(dir, path, problem);
        current = path;
    }
    return true;
}

bool IsSafeFolderOf(const QString& path)
{
    return IsSafeFolder(QFileInfo(path).absolutePath());
}
