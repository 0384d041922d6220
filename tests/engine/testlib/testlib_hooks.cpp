#include "testlib.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex g_Mutex;
std::map<std::string, int> g_Calls;
int32_t g_QueryResult = 0;
uint32_t g_MediaState = 0;
int32_t g_Repeat = 0;
int32_t g_StatusResult = 1;
std::string g_InitialTag;
int32_t g_InitialFlag = 0;
uint32_t g_QueryOid = 0;
uint32_t g_QueryLength = 0;

} // namespace

void TestLibRecord(const char* name)
{
    std::lock_guard lock(g_Mutex);
    ++g_Calls[name];
}

extern "C" {

__attribute__((visibility("default"))) int32_t TSRWL_Initial(const char* makerTag, int32_t flag)
{
    TestLibRecord("TSRWL_Initial");
    std::lock_guard lock(g_Mutex);
    g_InitialTag = makerTag ? makerTag : "(null)";
    g_InitialFlag = flag;
    return 1;
}

__attribute__((visibility("default"))) int32_t TSRWL_QueryOID(uint32_t oid, void* buffer, uint32_t length,
                                                              uint32_t* written)
{
    TestLibRecord("TSRWL_QueryOID");
    std::lock_guard lock(g_Mutex);
    g_QueryOid = oid;
    g_QueryLength = length;
    if (length >= sizeof g_MediaState)
        memcpy(buffer, &g_MediaState, sizeof g_MediaState);
    *written = sizeof g_MediaState;
    return g_QueryResult;
}

__attribute__((visibility("default"))) int32_t TSRWL_GetWLANStatus(int32_t* repeat, WLANStatus* status)
{
    TestLibRecord("TSRWL_GetWLANStatus");
    std::lock_guard lock(g_Mutex);
    *repeat = g_Repeat;
    status->Rssi = -40;
    return g_StatusResult;
}

__attribute__((visibility("default"))) int TestLib_CallCount(const char* name)
{
    std::lock_guard lock(g_Mutex);
    if (name)
        return g_Calls.count(name) ? g_Calls[name] : 0;
    int total = 0;
    for (const auto& [key, count] : g_Calls)
        total += count;
    return total;
}

__attribute__((visibility("default"))) void TestLib_Reset()
{
    std::lock_guard lock(g_Mutex);
    g_Calls.clear();
    g_QueryResult = 0;
    g_MediaState = 0;
    g_Repeat = 0;
    g_StatusResult = 1;
    g_InitialTag.clear();
    g_InitialFlag = 0;
    g_QueryOid = 0;
    g_QueryLength = 0;
}

#define TESTLIB_SETTER(name, type, variable)                                                                 \
    __attribute__((visibility("default"))) void name(type value)                                             \
    {                                                                                                        \
        std::lock_guard lock(g_Mutex);                                                                       \
        variable = value;                                                                                    \
    }
TESTLIB_SETTER(TestLib_SetQueryResult, int32_t, g_QueryResult)
TESTLIB_SETTER(TestLib_SetMediaState, uint32_t, g_MediaState)
TESTLIB_SETTER(TestLib_SetRepeat, int32_t, g_Repeat)
TESTLIB_SETTER(TestLib_SetStatusResult, int32_t, g_StatusResult)
#undef TESTLIB_SETTER

__attribute__((visibility("default"))) const char* TestLib_InitialTag()
{
    return g_InitialTag.c_str();
}

__attribute__((visibility("default"))) int32_t TestLib_InitialFlag()
{
    return g_InitialFlag;
}

__attribute__((visibility("default"))) uint32_t TestLib_QueryOid()
{
    return g_QueryOid;
}

__attribute__((visibility("default"))) uint32_t TestLib_QueryLength()
{
    return g_QueryLength;
}
}
