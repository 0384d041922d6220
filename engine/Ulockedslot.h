#pragma once

#include <memory>
#include <mutex>

// One heap record behind its own lock. The lock is held only for a copy or a pointer exchange.
template <class T> class TLockedSlot {
public:
    // Copies the record out; false (and `out` untouched) when the slot is empty.
    bool CopyTo(T& out) const
    {
        std::lock_guard lock(m_Mutex);
        if (!m_Record)
            return false;
        out = *m_Record;
        return true;
    }
    void Store(const T& record)
    {
        std::lock_guard lock(m_Mutex);
        if (m_Record)
            *m_Record = record;
        else
            m_Record = std::make_unique<T>(record);
    }
    // Puts `record` in and returns what was there.
    std::unique_ptr<T> Exchange(std::unique_ptr<T> record)
    {
        std::lock_guard lock(m_Mutex);
        m_Record.swap(record);
        return record;
    }

private:
    mutable std::mutex m_Mutex;
    std::unique_ptr<T> m_Record;
};
