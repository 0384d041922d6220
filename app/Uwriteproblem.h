#pragma once

#include <QString>
#include <functional>

// A settings file the program cannot write loses the user's changes without a trace unless someone is told:
// the debug log is opt-in. The same holds for a stored profile that cannot be read, which would otherwise
// just be missing from the list. The window installs a handler that tells the user; each subject is
// reported once per run, however often it fails. Any thread may report; the handler runs on the reporting
// thread.
enum class StoreProblem {
    CannotSave,     // subject: the file's path
    DamagedProfile, // subject: the profile's name
};
using WriteProblemHandler = std::function<void(StoreProblem problem, const QString& subject)>;

void SetWriteProblemHandler(WriteProblemHandler handler);
void ReportWriteProblem(const QString& path);
void ReportDamagedProfile(const QString& name);
