#pragma once

#include <string>

// The debug log: on only when a file named like the executable with ".Log" exists beside it at start.
// Every line is written with one write call, so threads need no lock; nothing here ever reports an error.
class CDebugLog {
public:
    CDebugLog() = default;
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

    std::string m_Path;
    int m_Fd = -1;
};

// The program's log, opened before main from /proc/self/exe.
CDebugLog& DebugLogFile();

void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// errno-style code with the system's text: "ErrCode(%x) %s", after the formatted message when one is given.
void DebugPrintErr(int code, const char* format = nullptr, ...) __attribute__((format(printf, 2, 3)));
