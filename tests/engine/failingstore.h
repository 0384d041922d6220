#pragma once

#include <QString>
#include <csignal>
#include <sys/resource.h>

enum class StoreFault { FullDisk, FolderGone };

// Makes the simulated library's profile store (the folder `profiles`) fail the way a full disk (a file size
// limit, as `ulimit -f` sets) or a folder taken away mid-run does, until it goes out of scope.
class FailingStore {
public:
    FailingStore(StoreFault fault, const QString& profiles);
    ~FailingStore();
    FailingStore(const FailingStore&) = delete;
    FailingStore& operator=(const FailingStore&) = delete;

private:
    StoreFault m_Fault;
    QString m_Profiles;
    rlimit m_Limit{};
    sighandler_t m_OldHandler = SIG_DFL;
};
