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

namespace {

void Report(StoreProblem problem, const QString& subject)
{
    WriteProblemHandler handler;
    const QString key = QString::number(int(problem)) + ':' + subject;
    {
        const std::lock_guard guard(g_Lock);
        if (!g_Handler || g_Reported.contains(key))
            return;
        g_Reported.insert(key);
        handler = g_Handler;
    }
    handler(problem, subject);
}

} // namespace

void ReportWriteProblem(const QString& path)
{
    Report(StoreProblem::CannotSave, path);
}

void ReportDamagedProfile(const QString& name)
{
    Report(StoreProblem::DamagedProfile, name);
}
