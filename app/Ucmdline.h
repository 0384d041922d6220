#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Start flags from the program's arguments (without the program name): "/Service", "/Close", "/UI" and
// "/TrayIcon", whole arguments in any letter case, and their long forms "--service", "--close", "--ui" and
// "--tray" as written. Every argument is logged.
uint32_t ParseCommandLine(const QStringList& arguments);

// What a start asks for besides its start flags.
enum class CommandAction {
    Run,       // start (or talk to the running instance) as the flags say
    Help,      // "--help": print the switches and end
    Version,   // "--version": print the version and end
    BadSwitch, // an argument that looks like a switch but is none: say so and end
};

struct CommandCheck {
    CommandAction action = CommandAction::Run;
    QString badSwitch;
};

// The first argument that asks for something other than a start decides. Words that do not start with "-"
// or "/" are no switches and stay ignored, as they always were.
CommandCheck CheckCommandLine(const QStringList& arguments);

// The text "--help" prints: usage and one line per switch, in the language file's words.
QString CommandLineHelp(const QString& programName);
// The line that names an argument that is no switch.
QString UnknownSwitchText(const QString& argument);
// The text "--version" prints: the program's name and its four-part version.
QString CommandLineVersion(const QString& programName);
