#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// The debug log: on only when a file named like the executable with ".Log" exists beside it at start.
// Every line is written with one write call; nothing here ever reports an error. The log is bounded: past
// its size limit it moves to the same name with ".1" appended (replacing an older one) and starts anew, and a
// line the same as the one before, within a second of when that was written, is counted instead of written;
// the count is written before the next line written, or when the log closes.
class CDebugLog {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr int64_t MAX_BYTES = 16 * 1024 * 1024;
    static constexpr std::chrono::milliseconds REPEAT_WINDOW{1000};

    explicit CDebugLog(int64_t maxBytes = MAX_BYTES, Clock clock = std::chrono::steady_clock::now)
        : m_MaxBytes(maxBytes), m_Clock(std::move(clock))
    {
    }
    ~CDebugLog();
    CDebugLog(const CDebugLog&) = delete;
    CDebugLog& operator=(const CDebugLog&) = delete;

    // Decides once whether logging is on; exePath is the full path of the executable.
    void Open(const std::string& exePath);
    void Close();
    bool IsOn() const { return m_Fd >= 0; }
    const std::string& Path() const { return m_Path; }

    void WriteLine(const char* text, size_t length) const;

private:
    bool OpenMain();
    bool OpenNumbered(const std::string& stem);
    // Writes one line as it is; the caller holds m_Lock.
    void WriteRaw(const std::string& line) const;
    // Writes how often the last line came again, if it did; the caller holds m_Lock.
    void WriteRepeats() const;
    // Moves a full log aside and opens a new one; the caller holds m_Lock.
    void Rotate() const;

    std::string m_Path;
    int64_t m_MaxBytes;
    Clock m_Clock;
    mutable std::mutex m_Lock;
    mutable std::chrono::steady_clock::time_point m_LastWritten;
    mutable int m_Fd = -1;
    mutable int64_t m_Size = 0;
    mutable std::string m_LastLine;
    mutable int64_t m_Repeats = 0;
};

// The program's log, opened before main from /proc/self/exe.
CDebugLog& DebugLogFile();

void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The line only the first time this process logs it (for a refusal every later call would repeat); a bounded
// number of lines is remembered.
void DebugPrintOnce(const std::string& line);
// errno-style code with the system's text: "ErrCode(%x) %s", after the formatted message when one is given.
void DebugPrintErr(int code, const char* format = nullptr, ...) __attribute__((format(printf, 2, 3)));
