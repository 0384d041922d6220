#include "app/Ucmdline.h"
#include "app/Udefine.h"

#include <gtest/gtest.h>

TEST(CommandLine, Switches)
{
    const struct {
        QStringList args;
        uint32_t flags;
    } cases[] = {
        {{}, 0},
        {{"/UI", "/TrayIcon"}, SF_UI | SF_TRAYICON},
        {{"/close"}, SF_CLOSE},
        {{"/CLOSE"}, SF_CLOSE},
        {{"/Closer"}, 0},
        {{"-Close"}, 0},
        {{"/Clo"}, 0},
        {{" /Close"}, 0},
        {{"/service", "/ui", "/Service"}, SF_SERVICE | SF_UI},
        {{"other", "/TRAYICON", ""}, SF_TRAYICON},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCommandLine(c.args), c.flags) << c.args.join(' ').toStdString();
}

TEST(CommandLine, ManyAndOddArguments)
{
    QStringList args;
    for (int i = 0; i < 100; ++i)
        args << QString(i % 7 == 0 ? "/ui" : "x%1").arg(i);
    args << QString(100000, 'a') << QString::fromUtf8("/\xC3\xBCI") << QString(QChar(0));
    EXPECT_EQ(ParseCommandLine(args), uint32_t(SF_UI));
}

TEST(CommandLine, LongSwitchesMeanWhatTheSlashFormsMean)
{
    const struct {
        QStringList args;
        uint32_t flags;
    } cases[] = {
        {{"--ui", "--tray"}, SF_UI | SF_TRAYICON},
        {{"--service", "/UI"}, SF_SERVICE | SF_UI},
        {{"--close"}, SF_CLOSE},
        // Long switches are written as they are, like every other program's.
        {{"--UI", "--Close", "-ui", "--tray=1", "--trayicon"}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCommandLine(c.args), c.flags) << c.args.join(' ').toStdString();
}

TEST(CommandLine, HelpVersionAndSwitchesThatMeanNothing)
{
    const struct {
        QStringList args;
        CommandAction action;
        QString badSwitch;
    } cases[] = {
        {{}, CommandAction::Run, {}},
        {{"/ui", "--tray", "word", "", "-", "/"}, CommandAction::Run, {}},
        {{"--help"}, CommandAction::Help, {}},
        {{"--ui", "--version", "--help"}, CommandAction::Version, {}},
        {{"--verbose"}, CommandAction::BadSwitch, "--verbose"},
        {{"/ui", "/Closer", "--help"}, CommandAction::BadSwitch, "/Closer"},
        {{"-h"}, CommandAction::BadSwitch, "-h"},
        {{"--HELP"}, CommandAction::BadSwitch, "--HELP"},
    };
    for (const auto& c : cases) {
        const CommandCheck check = CheckCommandLine(c.args);
        EXPECT_EQ(check.action, c.action) << c.args.join(' ').toStdString();
        EXPECT_EQ(check.badSwitch, c.badSwitch) << c.args.join(' ').toStdString();
    }
}

TEST(CommandLine, HelpNamesEverySwitchInBothForms)
{
    const QString help = CommandLineHelp("wlanutil");
    for (const char* name : {"--ui", "/UI", "--tray", "/TrayIcon", "--service", "/Service", "--close",
                             "/Close", "--help", "--version"})
        EXPECT_TRUE(help.contains(QLatin1String(name))) << name;
    EXPECT_TRUE(help.startsWith("Usage: wlanutil "));
}
