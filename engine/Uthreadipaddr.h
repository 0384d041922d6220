#pragma once

#include "Uiphelper.h"
#include "Uthread.h"

#include <QString>

// Releases and renews the adapter's address through the system's DHCP client, on systems where the adapter
// library cannot do it. Flags: 1 = release, 2 = renew.
class ThreadIPAddr : public CThread {
public:
    static TThreadPtr<ThreadIPAddr> Create(const QString& description, int flags);

protected:
    ThreadIPAddr(const QString& description, int flags);
    void Execute() override;
    bool StopThread() override;

private:
    const QString m_Description;
    const int m_Flags;
    // Shared, so that an abandoned thread keeps the helper it is using.
    const std::shared_ptr<IIpHelper> m_Helper;
};
