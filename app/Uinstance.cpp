#include "Uinstance.h"
#include "Udebug.h"
#include "Uutility.h"

#include <QFile>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int ERROR_ALREADY_EXISTS = 183;

} // namespace

CInstanceMutex::~CInstanceMutex()
{
    Close();
}

CInstanceMutex::Result CInstanceMutex::Create(const QString& name)
{
    Close();
    const QString dir = RuntimeDir();
    if (dir.isEmpty()) {
        m_Error = ENOENT;
        return Failed;
    }
    const int fd = open(QFile::encodeName(dir + '/' + name).constData(),
                        O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_Error = errno;
        return Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_Error = errno == EWOULDBLOCK ? ERROR_ALREADY_EXISTS : errno;
        close(fd);
        return m_Error == ERROR_ALREADY_EXISTS ? AlreadyExists : Failed;
    }
    m_Fd = fd;
    m_Error = 0;
    return Created;
}

void CInstanceMutex::Close()
{
    if (m_Fd >= 0)
        close(m_Fd);
    m_Fd = -1;
}

bool CheckSingleInstance(CInstanceMutex& mutex, const QString& name, const SingleInstanceOptions& options)
{
    CInstanceMutex::Result result = mutex.Create(name);
    if (result == CInstanceMutex::Failed) {
        DebugPrintErr(mutex.LastError(), "can't create instance mutex");
        for (int n = 0; n < options.retries && result == CInstanceMutex::Failed; ++n) {
            DebugPrint("broadcast close message and wait %d", n);
            options.broadcast(9);
            QThread::msleep(static_cast<unsigned long>(options.retryDelayMs));
            result = mutex.Create(name);
        }
        if (result == CInstanceMutex::Failed) {
            DebugPrintErr(mutex.LastError(), "can't create instance mutex again");
            return false;
        }
    }
    if (result == CInstanceMutex::AlreadyExists) {
        DebugPrint("Instance mutex already exists");
        options.broadcast(1);
        mutex.Close();
        return false;
    }
    return true;
}
