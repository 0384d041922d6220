// The messages of the instance socket, which any process of the user may send: whatever comes, the server
// answers at most each whole message of 8 bytes, with 4 bytes, and then hangs up.
#include "app/Unotifychannel.h"
#include "socketfuzz.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSocketFuzz fuzz;
    static CNotifyServer* server = [] {
        auto* s =
            new CNotifyServer(QStringLiteral("FuzzNotify"), [](int code, int value) { return code ^ value; });
        s->Listen();
        return s;
    }();
    const CSocketFuzz::Outcome outcome = CSocketFuzz::Send(server->SocketPath(), data, size);
    // One that never hangs up is left to the fuzzer's own time-out, which tells a hang from a slow machine.
    if (outcome.HungUp && (outcome.Answered % 4 != 0 || outcome.Answered > size / 8 * 4))
        abort();
    return 0;
}
