// The lines of the device-event socket, which any process of the user may send.
#include "engine/Udeviceeventserver.h"
#include "socketfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSocketFuzz fuzz;
    static const QString path = fuzz.Dir() + QStringLiteral("/events");
    static CDeviceEventServer* server = [] {
        auto* s = new CDeviceEventServer;
        s->Listen(path);
        return s;
    }();
    (void)server;
    CSocketFuzz::Send(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
