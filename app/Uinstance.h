#pragma once

#include <QString>
#include <functional>

// The one-instance-per-settings-root rule: an exclusive lock on a file in the user's runtime directory,
// held for the whole run and dropped by the kernel when the process ends.
class CInstanceMutex {
public:
    enum Result { Created, AlreadyExists, Failed };

    CInstanceMutex() = default;
    ~CInstanceMutex();
    CInstanceMutex(const CInstanceMutex&) = delete;
    CInstanceMutex& operator=(const CInstanceMutex&) = delete;

    // Takes the lock named `name`; on Failed, LastError() holds the errno value.
    Result Create(const QString& name);
    void Close();
    bool IsHeld() const { return m_Fd >= 0; }
    int LastError() const { return m_Error; }

private:
    int m_Fd = -1;
    int m_Error = 0;
};

struct SingleInstanceOptions {
    int retries = 10;
    int retryDelayMs = 3000;
    // Delivers a notify code to the running instance (code 1 = show yourself, 9 = close).
    std::function<void(int code)> broadcast;
};

// True when this process may run and now holds `mutex`. A running instance is asked to show itself; when
// the lock cannot be taken at all, running instances are asked to close and the lock is tried again.
bool CheckSingleInstance(CInstanceMutex& mutex, const QString& name, const SingleInstanceOptions& options);
