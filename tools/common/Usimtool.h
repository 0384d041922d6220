#pragma once

#include "engine/Unicadapter.h"

#include <QString>
#include <functional>

class QObject;
class QTemporaryDir;
class QWidget;

// What the picture tools share: the simulated adapter in a sandbox, waiting with the events running, and
// writing a widget's picture.

// Puts the simulator's state, its profiles and the per-user settings inside `sandbox`; call it before the
// application object is made.
void UseSandbox(const QTemporaryDir& sandbox);
// Reads the program's files beside the tool, registers the notify message and loads the simulated adapter
// library; false, with the reason on stderr, when the library cannot be loaded.
bool LoadSimulatedProgram();
// The simulated adapter of that hardware id, notifying `target`, managed by the program.
TThreadPtr<CNICAdapter> CreateSimulatedAdapter(QObject* target, const char* hwId);
// Runs the events until `condition` holds or the time is up.
void Wait(const std::function<bool()>& condition, int timeoutMs);
// Writes the widget's picture as `file` in `dir` and says so on stdout.
void SavePicture(QWidget* w, const QString& dir, const QString& file);
