#pragma once

#include <QString>
#include <functional>

// A settings file the program cannot write loses the user's changes without a trace unless someone is told:
// the debug log is opt-in. The window installs a handler that tells the user; each file is reported once per
// run, however often its writes fail. Any thread may report; the handler runs on the reporting thread.
using WriteProblemHandler = std::function<void(const QString& path)>;

void SetWriteProblemHandler(WriteProblemHandler handler);
void ReportWriteProblem(const QString& path);
