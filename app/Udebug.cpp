#include "Udebug.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ExecutablePath()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// Another running instance holds its log with an exclusive lock, the way a file opened without
// write sharing keeps other processes out. A log that is a symbolic link is not written: it could point the
// program's lines into any file of the user.
int OpenLocked(const std::string& path, int flags)
{
    const int fd = open(path.c_str(), flags | O_CLOEXEC | O_APPEND | O_NOFOLLOW, 0644);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string FormatV(const char* format, va_list args)
{
    if (!format)
        return {};
    va_list copy;
    va_copy(copy, args);
    const int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    std::string text(static_cast<size_t>(n), '\0');
    vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

void Write(const std::string& text)
{
    DebugLogFile().WriteLine(text.data(), text.size());
}

} // namespace

CDebugLog::~CDebugLog()
{
    Close();
}

void CDebugLog::Open(const std::string& exePath)
{
    Close();
    const size_t slash = exePath.rfind('/');
    const size_t dot = exePath.rfind('.');
    const std::string stem = (dot != std::string::npos && (slash == std::string::npos || dot > slash))
                                 ? exePath.substr(0, dot)
                                 : exePath;
    m_Path = stem + ".Log";
    if (access(m_Path.c_str(), F_OK) != 0)
        return;
    if (!OpenMain() && !OpenNumbered(stem))
        return;
    static const char start[] = "== START LOG ==";
    WriteLine(start, sizeof start - 1);
}

bool CDebugLog::OpenMain()
{
    m_Fd = OpenLocked(m_Path, O_RDWR);
    struct stat st {};
    m_Size = m_Fd >= 0 && fstat(m_Fd, &st) == 0 ? int64_t(st.st_size) : 0;
    return m_Fd >= 0;
}

bool CDebugLog::OpenNumbered(const std::string& stem)
{
    for (int i = 0; i < 100; ++i) {
        char suffix[16];
        snprintf(suffix, sizeof suffix, "_%03d.Log", i);
        const std::string path = stem + suffix;
        m_Fd = OpenLocked(path, O_RDWR | O_CREAT | O_EXCL);
        if (m_Fd >= 0) {
            m_Path = path;
            m_Size = 0;
            return true;
        }
    }
    return false;
}

void CDebugLog::Close()
{
    const std::lock_guard guard(m_Lock);
    WriteRepeats();
    if (m_Fd >= 0)
        close(m_Fd);
    m_Fd = -1;
    m_LastLine.clear();
}

void CDebugLog::WriteLine(const char* text, size_t length) const
{
    const std::lock_guard guard(m_Lock);
    if (m_Fd < 0)
        return;
    // A flood of one line (a client repeating a bad request, a storm of one device event) is a line a second
    // and a count; a line repeated now and then, as a retry is, is written each time.
    const auto now = m_Clock();
    if (!m_LastLine.empty() && m_LastLine.size() == length &&
        m_LastLine.compare(0, length, text, length) == 0 && now - m_LastWritten < REPEAT_WINDOW) {
        ++m_Repeats;
        return;
    }
    WriteRepeats();
    m_LastLine.assign(text, length);
    WriteRaw(m_LastLine);
    m_LastWritten = now;
}

void CDebugLog::WriteRepeats() const
{
    if (m_Repeats == 0)
        return;
    const std::string note = "(the line before came " + std::to_string(m_Repeats) + " more times)";
    m_Repeats = 0;
    WriteRaw(note);
}

void CDebugLog::WriteRaw(const std::string& text) const
{
    const std::string line = text + "\r\n";
    if (m_Size + int64_t(line.size()) > m_MaxBytes)
        Rotate();
    if (m_Fd < 0)
        return;
    const ssize_t written = write(m_Fd, line.data(), line.size());
    if (written > 0)
        m_Size += written;
}

void CDebugLog::Rotate() const
{
    // The log's lock goes with its file: the new file is locked before the old one is let go.
    const std::string older = m_Path + ".1";
    if (rename(m_Path.c_str(), older.c_str()) != 0) {
        close(m_Fd);
        m_Fd = -1;
        return;
    }
    const int fresh = OpenLocked(m_Path, O_RDWR | O_CREAT | O_EXCL);
    close(m_Fd);
    m_Fd = fresh;
    m_Size = 0;
}

CDebugLog& DebugLogFile()
{
    // Built on first use, so lines logged by other static objects' constructors are not lost.
    static CDebugLog log;
    static const bool opened = (log.Open(ExecutablePath()), true);
    (void)opened;
    return log;
}

void DebugPrint(const char* format, ...)
{
    if (!DebugLogFile().IsOn())
        return;
    va_list args;
    va_start(args, format);
    const std::string text = FormatV(format, args);
    va_end(args);
    Write(text);
}

void DebugPrintOnce(const std::string& line)
{
    static std::mutex lock;
    static std::set<std::string> logged;
    {
        const std::lock_guard guard(lock);
        if (logged.size() >= 500 || !logged.insert(line).second)
            return;
    }
    Write(line);
}

void DebugPrintErr(int code, const char* format, ...)
{
    if (!DebugLogFile().IsOn())
        return;
    char sys[256];
    const char* systemText = strerror_r(code, sys, sizeof sys);
    char err[320];
    snprintf(err, sizeof err, "ErrCode(%x) %s", static_cast<unsigned>(code), systemText ? systemText : "");
    std::string text;
    if (format) {
        va_list args;
        va_start(args, format);
        text = FormatV(format, args) + " ";
        va_end(args);
    }
    Write(text + err);
}
