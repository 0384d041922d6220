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
