#include "Udetectignore.h"

#include <mutex>

namespace {

// Held while a call into the detection thread runs, so that its owner can free it safely.
std::mutex g_DetectMutex;
IDetectIgnore* g_DetectIgnore = nullptr;

} // namespace

bool DetectIgnoreExists()
{
    std::lock_guard lock(g_DetectMutex);
    return g_DetectIgnore != nullptr;
}

void SetDetectIgnore(IDetectIgnore* detect)
{
    std::lock_guard lock(g_DetectMutex);
    g_DetectIgnore = detect;
}

void DetectIgnoreSet(bool on)
{
    std::lock_guard lock(g_DetectMutex);
    if (g_DetectIgnore)
        g_DetectIgnore->SetIgnore(on);
}
