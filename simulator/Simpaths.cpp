#include "Simpaths.h"

#include "adaptercore/Corepaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsPrivateDir(const std::string& dir)
{
    struct stat st {};
    return !dir.empty() && lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
           (st.st_mode & 0077) == 0;
}

} // namespace

std::string SimBinaryDir()
{
    // The file does not move while it is loaded, and the adapter asks on every call.
    static const std::string dir = [] {
        Dl_info info{};
        std::string path = "/proc/self/exe";
        // The main program's own entry may carry only its bare name; /proc knows the full one.
        if (dladdr(reinterpret_cast<void*>(&SimBinaryDir), &info) != 0 && info.dli_fname &&
            strchr(info.dli_fname, '/'))
            path = info.dli_fname;
        char* full = realpath(path.c_str(), nullptr);
        if (full) {
            path = full;
            free(full);
        }
        return path.substr(0, path.rfind('/') + 1);
    }();
    return dir;
}

std::string SimRuntimeDir()
{
    // The same folder the program chooses, so that both meet at its device-event socket.
    std::string xdg = EnvText("XDG_RUNTIME_DIR");
    if (IsPrivateDir(xdg))
        return xdg;
    std::string session = "/run/user/" + std::to_string(getuid());
    if (IsPrivateDir(session))
        return session;
    std::string cache = EnvText("XDG_CACHE_HOME");
    if (cache.empty() || cache[0] != '/')
        cache = EnvText("HOME").empty() ? std::string() : EnvText("HOME") + "/.cache";
    if (cache.empty())
        return {};
    mkdir(cache.c_str(), 0700);
    const std::string own = cache + "/wlanutil-runtime";
    if (mkdir(own.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return IsPrivateDir(own) ? own : std::string();
}

std::string ScenarioPath()
{
    const std::string path = EnvText("TSRWL_SIM_SCENARIO");
    return path.empty() ? SimBinaryDir() + "tsrwl-sim.ini" : path;
}

std::string StatePath()
{
    std::string path = EnvText("TSRWL_SIM_STATE");
    if (!path.empty())
        return path;
    const std::string dir = SimRuntimeDir();
    return dir.empty() ? "/tmp/tsrwl-sim-" + std::to_string(getuid()) + ".state" : dir + "/tsrwl-sim.state";
}
