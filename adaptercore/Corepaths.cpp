#include "Corepaths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

std::string EnvText(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

std::string ProfileBaseDir()
{
    std::string base = EnvText("TSRWL_SIM_PROFILES");
    if (!base.empty())
        return base;
    base = EnvText("XDG_DATA_HOME");
    if (base.empty())
        base = EnvText("HOME") + "/.local/share";
    return base + "/tsrwl-sim";
}

bool MakePrivateDirs(const std::string& dir)
{
    if (dir.empty())
        return false;
    for (size_t pos = 1; pos != std::string::npos;) {
        pos = dir.find('/', pos + 1);
        const std::string part = dir.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReadFileText(const std::string& path, std::string& text)
{
    text.clear();
    // Not blocking: a FIFO or a device named by mistake must not hold the caller up for good.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileBytes) {
        CoreLogOnce(path + " is no regular file of at most " + std::to_string(kMaxFileBytes) +
                    " bytes; ignored");
        close(fd);
        errno = EINVAL;
        return false;
    }
    char buffer[8192];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
        if (n > 0 && text.size() + size_t(n) > size_t(kMaxFileBytes))
            break; // grew while being read
        if (n > 0)
            text.append(buffer, size_t(n));
        else if (errno != EINTR)
            break;
    }
    close(fd);
    return n == 0;
}

bool WriteFileAtomic(const std::string& path, const std::string& data)
{
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = fchmod(fd, 0600) == 0;
    for (size_t done = 0; ok && done < data.size();) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? size_t(n) : 0;
    }
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        unlink(temp.c_str());
    else
        SyncFolderOf(path); // where it can be: the new file is in place either way
    return ok;
}

bool SyncFolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

void RemoveWriteLeftovers(const std::string& dir, const std::function<bool(const std::string& name)>& ours)
{
    constexpr size_t kRandomLength = 6;
    DIR* listing = opendir(dir.c_str());
    if (!listing)
        return;
    while (const dirent* entry = readdir(listing)) {
        const std::string file = entry->d_name;
        if (file.size() <= kRandomLength + 1 || file[file.size() - kRandomLength - 1] != '.')
            continue;
        const std::string random = file.substr(file.size() - kRandomLength);
        if (!std::all_of(random.begin(), random.end(),
                         [](char c) { return isalnum(static_cast<unsigned char>(c)); }) ||
            !ours(file.substr(0, file.size() - kRandomLength - 1)))
            continue;
        const std::string path = dir + "/" + file;
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == getuid() &&
            unlink(path.c_str()) == 0)
            CoreLog("removed %s, left by an interrupted write", path.c_str());
    }
    closedir(listing);
}

bool FirstTimeInProcess(const std::string& key)
{
    static std::mutex lock;
    static std::set<std::string> asked;
    const std::lock_guard guard(lock);
    return asked.insert(key).second;
}

void CoreLogOnce(const std::string& line)
{
    // Never destroyed: the libraries' own static objects log from their destructors at the program's end (a
    // device handed back then), which may come after these would have gone.
    static std::mutex& lock = *new std::mutex;
    static std::set<std::string>& logged = *new std::set<std::string>;
    const std::lock_guard guard(lock);
    if (logged.size() < 100 && logged.insert(line).second)
        CoreLog("%s", line.c_str());
}

namespace {
const char* g_logTag = "tsrwl-sim";
}

void CoreSetLogTag(const char* tag)
{
    g_logTag = tag;
}

void CoreLog(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    // One write per line, so lines of several processes do not interleave.
    const std::string text = std::string(g_logTag) + ": " + line + "\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, text.data(), text.size());
}
