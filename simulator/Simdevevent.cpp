#include "Simdevevent.h"

#include "Simpaths.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

const char* const kSimDevicePath = "/devices/virtual/tsrwl-sim/wlan-sim0";

namespace {

std::string DeviceEventSocketPath(const std::string& profRoot)
{
    const std::string dir = SimRuntimeDir();
    return dir.empty() ? std::string() : dir + "/" + profRoot + "_DeviceEvent";
}

} // namespace

bool AnnounceDeviceEvent(const std::string& profRoot, const std::string& line)
{
    const std::string path = DeviceEventSocketPath(profRoot);
    const std::string text = line + "\n";
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path || text.size() > 1024)
        return false;
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool sent = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    for (size_t done = 0; sent && done < text.size();) {
        const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        sent = n > 0 || (n < 0 && errno == EINTR);
        done += n > 0 ? size_t(n) : 0;
    }
    close(fd);
    return sent;
}
