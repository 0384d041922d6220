#include "failingstore.h"
#include "testutil.h"

#include <QDir>
#include <QFile>

FailingStore::FailingStore(StoreFault fault, const QString& profiles) : m_Fault(fault), m_Profiles(profiles)
{
    if (fault == StoreFault::FullDisk) {
        getrlimit(RLIMIT_FSIZE, &m_Limit);
        // Beyond the limit a write fails with EFBIG, as the program sees it: it ignores the signal too.
        m_OldHandler = signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{16, m_Limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &tiny);
    } else {
        QDir().rename(profiles, profiles + ".away");
        testutil::WriteFile(profiles, "");
    }
}

FailingStore::~FailingStore()
{
    if (m_Fault == StoreFault::FullDisk) {
        setrlimit(RLIMIT_FSIZE, &m_Limit);
        signal(SIGXFSZ, m_OldHandler);
    } else {
        QFile::remove(m_Profiles);
        QDir().rename(m_Profiles + ".away", m_Profiles);
    }
}
