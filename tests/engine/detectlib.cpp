// Detection behaviour for the test library (tests/engine/testlib): TSRWL_DevDetect answers as the test says
// through the DetectLib_* controls (found with dlsym); its calls are counted with the library's others.
#include "testlib/testlib.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_Lock;
std::set<std::string> g_Present;
int g_BlockMs = 0;
bool g_Unterminated = false;
int32_t g_Service = TSRWL_SERVICE_READY;

} // namespace

EXPORT void DetectLib_Reset()
{
    std::lock_guard<std::mutex> lock(g_Lock);
    g_Present.clear();
    g_BlockMs = 0;
    g_Unterminated = false;
    g_Service = TSRWL_SERVICE_READY;
}

EXPORT void DetectLib_SetPresent(const char* hwId, int present)
{
    std::lock_guard<std::mutex> lock(g_Lock);
    if (present)
        g_Present.insert(hwId);
    else
        g_Present.erase(hwId);
}

// Every detection call then takes this long.
EXPORT void DetectLib_SetBlockMs(int ms)
{
    std::lock_guard<std::mutex> lock(g_Lock);
    g_BlockMs = ms;
}

// A present adapter's description then fills its whole field without a terminating NUL.
EXPORT void DetectLib_SetUnterminated(int on)
{
    std::lock_guard<std::mutex> lock(g_Lock);
    g_Unterminated = on != 0;
}

// What TSRWL_GetServiceState answers (TSRWL_SERVICE_*).
EXPORT void DetectLib_SetService(int32_t state)
{
    std::lock_guard<std::mutex> lock(g_Lock);
    g_Service = state;
}

EXPORT int32_t TSRWL_GetServiceState()
{
    std::lock_guard<std::mutex> lock(g_Lock);
    return g_Service;
}

EXPORT int32_t TSRWL_DevDetect(TSDevRecord* device)
{
    TestLibRecord("TSRWL_DevDetect");
    std::unique_lock<std::mutex> lock(g_Lock);
    const int blockMs = g_BlockMs;
    const std::string id(device->hwId, strnlen(device->hwId, sizeof device->hwId));
    const bool present = g_Present.count(id) > 0;
    const bool unterminated = g_Unterminated;
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(blockMs));
    if (!present)
        return 0;
    if (unterminated)
        memset(device->description, 'D', sizeof device->description);
    else
        snprintf(device->description, sizeof device->description, "Adapter %s", id.c_str());
    return TSRWL_OK;
}
