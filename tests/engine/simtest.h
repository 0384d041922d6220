#pragma once

#include <QString>

class QTemporaryDir;

// The simulated adapter as the program meets it, for tests that plug and unplug it with its control command.
namespace simtest {

// Keeps the simulator's state and stored profiles in `dir`, private to the test run, and has the binding load
// it as the adapter library; false when it could not be loaded.
bool LoadSimulator(const QTemporaryDir& dir);
// Runs tsrwl-simctl on the settings root in use (g_Var.ProfRoot) with `command`, its words split at spaces;
// what it printed (nothing when it did not finish).
QString SimCtl(const QString& command);
// The same, for a command whose effect matters and not its words: true when it ended with exit code 0.
bool SimCtlSucceeds(const QString& command);

} // namespace simtest
