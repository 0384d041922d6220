#include "Corefilelock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CCoreFileLock::CCoreFileLock(const std::string& path, int operation)
{
    m_fd = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    while (m_fd >= 0 && flock(m_fd, operation) != 0) {
        if (errno != EINTR) {
            close(m_fd);
            m_fd = -1;
        }
    }
}

CCoreFileLock::~CCoreFileLock()
{
    if (m_fd >= 0)
        close(m_fd);
}
