#pragma once

#include <string>

// An flock held for the lifetime of the object, on the companion file `<path>.lock`, which is never renamed.
// flock locks belong to one open file: a thread must not take a second one on the same path.
class CCoreFileLock {
public:
    CCoreFileLock(const std::string& path, int operation);
    ~CCoreFileLock();
    CCoreFileLock(const CCoreFileLock&) = delete;
    CCoreFileLock& operator=(const CCoreFileLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
