#include "Uwriteproblem.h"

#include <QSet>
#include <mutex>

namespace {

std::mutex g_Lock;
WriteProblemHandler g_Handler;
QSet<QString> g_Reported;

} // namespace

void SetWriteProblemHandler(WriteProblemHandler handler)
{
    const std::lock_guard guard(g_Lock);
    g_Handler = std::move(handler);
    g_Reported.clear();
}

void ReportWriteProblem(const QString& path)
{
    WriteProblemHandler handler;
    {
        const std::lock_guard guard(g_Lock);
        if (!g_Handler || g_Reported.contains(path))
            return;
        g_Reported.insert(path);
        handler = g_Handler;
    }
    handler(path);
}
