#pragma once

#include <QStringList>
#include <cstdint>

// Start flags from the program's arguments (without the program name): "/Service", "/Close", "/UI" and
// "/TrayIcon", whole arguments in any letter case. Every argument is logged.
uint32_t ParseCommandLine(const QStringList& arguments);
