// The messages of the instance socket, which any process of the user may send.
#include "app/Unotifychannel.h"
#include "socketfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSocketFuzz fuzz;
    static CNotifyServer* server = [] {
        auto* s =
            new CNotifyServer(QStringLiteral("FuzzNotify"), [](int code, int value) { return code ^ value; });
        s->Listen();
        return s;
    }();
    CSocketFuzz::Send(server->SocketPath(), data, size);
    return 0;
}
