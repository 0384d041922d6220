// The lines of the device-event socket, which any process of the user may send.
#include "engine/Udeviceeventserver.h"
#include "socketfuzz.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSocketFuzz fuzz;
    static const QString path = fuzz.Dir() + QStringLiteral("/events");
    static CDeviceEventServer* server = [] {
        auto* s = new CDeviceEventServer;
        s->Listen(path);
        return s;
    }();
    CSocketFuzz::Send(path, data, size);
    // Every client is gone once it hung up: the server keeps nothing of it.
    if (server->ClientCount() != 0)
        abort();
    return 0;
}
