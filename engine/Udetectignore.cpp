#include "Udetectignore.h"

#include <atomic>

namespace {

std::atomic<IDetectIgnore*> g_DetectIgnore{nullptr};

} // namespace

IDetectIgnore* DetectIgnore()
{
    return g_DetectIgnore.load();
}

void SetDetectIgnore(IDetectIgnore* detect)
{
    g_DetectIgnore.store(detect);
}
