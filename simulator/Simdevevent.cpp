#include "Simdevevent.h"

#include "Simpaths.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
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

// A program busy with the adapter answers late; one that does not answer at all is reported.
constexpr int ANSWER_TIMEOUT_MS = 5000;

bool SendAll(int fd, const std::string& text)
{
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// The first answer line, without its '\n'; empty when the program hung up or stayed silent.
std::string ReadAnswer(int fd)
{
    std::string text;
    char c = 0;
    pollfd p{fd, POLLIN, 0};
    while (text.size() < 64 && poll(&p, 1, ANSWER_TIMEOUT_MS) > 0) {
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || c == '\n')
            break;
        text += c;
    }
    return c == '\n' ? text : std::string();
}

} // namespace

Announced AnnounceDeviceEvent(const std::string& profRoot, const std::string& line, std::string* answer)
{
    const std::string path = DeviceEventSocketPath(profRoot);
    const std::string text = line + "\n";
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path || text.size() > 1024)
        return Announced::NoListener;
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Announced::NoListener;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return Announced::NoListener;
    }
    // A program that turned the client away has answered before the line could be sent.
    SendAll(fd, text);
    const std::string reply = ReadAnswer(fd);
    close(fd);
    if (answer)
        *answer = reply.empty() ? "no answer" : reply;
    return reply == "OK" ? Announced::Taken : Announced::NotTaken;
}
