#include "Ucmdline.h"
#include "Udebug.h"
#include "Udefine.h"

namespace {

struct Switch {
    const char* slash;
    const char* gnu;
    uint32_t flag;
    const char* key; // of its line in the help, in the language file's section "CommandLine"
    const char* help;
};

const Switch SWITCHES[] = {
    {"/UI", "--ui", SF_UI, "Ui", "show the main window at start"},
    {"/TrayIcon", "--tray", SF_TRAYICON, "Tray", "show the icon in the notification area at start"},
    {"/Service", "--service", SF_SERVICE, "Service", "service start: connect with the last applied profile"},
    {"/Close", "--close", SF_CLOSE, "Close", "ask the running instance to close, then end"},
};

const char HELP_SWITCH[] = "--help";
const char VERSION_SWITCH[] = "--version";

QString Text(const char* key, const char* def)
{
    return g_Var.GetLangText(QStringLiteral("CommandLine"), QLatin1String(key), QString::fromUtf8(def));
}

// The slash forms compare as the design has them, in any letter case; long switches, as everywhere on
// this system, only as written.
const Switch* FindSwitch(const QString& argument)
{
    for (const Switch& s : SWITCHES)
        if (argument.compare(QLatin1String(s.slash), Qt::CaseInsensitive) == 0 ||
            argument == QLatin1String(s.gnu))
            return &s;
    return nullptr;
}

bool LooksLikeSwitch(const QString& argument)
{
    return argument.size() > 1 && (argument.startsWith('-') || argument.startsWith('/'));
}

} // namespace

uint32_t ParseCommandLine(const QStringList& arguments)
{
    uint32_t flags = 0;
    for (int i = 0; i < arguments.size(); ++i) {
        DebugPrint("Param(%d) %s", i + 1, arguments[i].toLocal8Bit().constData());
        if (const Switch* s = FindSwitch(arguments[i]))
            flags |= s->flag;
    }
    return flags;
}

CommandCheck CheckCommandLine(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == QLatin1String(HELP_SWITCH))
            return {CommandAction::Help, {}};
        if (argument == QLatin1String(VERSION_SWITCH))
            return {CommandAction::Version, {}};
        if (LooksLikeSwitch(argument) && !FindSwitch(argument))
            return {CommandAction::BadSwitch, argument};
    }
    return {};
}

QString CommandLineHelp(const QString& programName)
{
    QString text =
        Text("Usage", "Usage: %s [SWITCH]...").replace(QLatin1String("%s"), programName) + '\n' +
        Text("Purpose", "Shows and manages the wireless LAN adapter; without switches it runs hidden "
                        "until it is opened.") +
        QStringLiteral("\n\n");
    const auto line = [&text](const QString& names, const QString& help) {
        text += QStringLiteral("  %1%2\n").arg(names, -24).arg(help);
    };
    for (const Switch& s : SWITCHES)
        line(QStringLiteral("%1, %2").arg(QLatin1String(s.gnu), QLatin1String(s.slash)), Text(s.key, s.help));
    line(QLatin1String(HELP_SWITCH), Text("Help", "show this help and end"));
    line(QLatin1String(VERSION_SWITCH), Text("Version", "show the version and end"));
    return text + '\n' +
           Text("More", "A second start shows the running instance's window. See %s(1).")
               .replace(QLatin1String("%s"), programName) +
           '\n';
}

QString UnknownSwitchText(const QString& argument)
{
    return Text("UnknownSwitch", "unknown switch '%s'; --help lists the switches.")
        .replace(QLatin1String("%s"), argument);
}

QString CommandLineVersion(const QString& programName)
{
    return QStringLiteral("%1 %2.%3.%4.%5\n")
        .arg(programName)
        .arg(WLANUTIL_VERSION_MAJOR)
        .arg(WLANUTIL_VERSION_MINOR)
        .arg(WLANUTIL_VERSION_PATCH)
        .arg(WLANUTIL_VERSION_TWEAK);
}
