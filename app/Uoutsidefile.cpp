#include "Uoutsidefile.h"
#include "Udebug.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A refusal repeats on every read of the file (the store is read for each setting): it is logged once.
void LogRefusal(const QString& path, OutsideFile result, qint64 maxBytes)
{
    const std::string name = path.toStdString();
    if (result == OutsideFile::NotRegular)
        DebugPrintOnce(name + " is no regular file (a FIFO, a device or a folder); not read");
    else if (maxBytes % (1 << 20) == 0)
        DebugPrintOnce(name + " is larger than " + std::to_string(maxBytes >> 20) + " MB; not read");
    else
        DebugPrintOnce(name + " is larger than " + std::to_string(maxBytes) + " bytes; not read");
}

// Opens `path` without blocking and checks it; the descriptor in `fd` when Ok, closed otherwise.
OutsideFile OpenChecked(const QString& path, qint64 maxBytes, int& fd)
{
    fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? OutsideFile::Missing : OutsideFile::Unreadable;
    struct stat st {};
    OutsideFile result = OutsideFile::Ok;
    if (fstat(fd, &st) != 0)
        result = OutsideFile::Unreadable;
    else if (!S_ISREG(st.st_mode))
        result = OutsideFile::NotRegular;
    else if (st.st_size > maxBytes)
        result = OutsideFile::TooLarge;
    if (result == OutsideFile::Ok)
        return result;
    close(fd);
    fd = -1;
    if (result != OutsideFile::Unreadable)
        LogRefusal(path, result, maxBytes);
    return result;
}

} // namespace

OutsideFile CheckOutsideFile(const QString& path, qint64 maxBytes)
{
    int fd = -1;
    const OutsideFile result = OpenChecked(path, maxBytes, fd);
    if (fd >= 0)
        close(fd);
    return result;
}

OutsideFile ReadOutsideFile(const QString& path, qint64 maxBytes, QByteArray& data)
{
    data.clear();
    int fd = -1;
    OutsideFile result = OpenChecked(path, maxBytes, fd);
    if (result != OutsideFile::Ok)
        return result;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            result = n == 0 ? OutsideFile::Ok : OutsideFile::Unreadable;
            break;
        }
        if (data.size() + n > maxBytes) {
            result = OutsideFile::TooLarge;
            LogRefusal(path, result, maxBytes);
            break;
        }
        data.append(buffer, n);
    }
    close(fd);
    if (result != OutsideFile::Ok)
        data.clear();
    return result;
}
