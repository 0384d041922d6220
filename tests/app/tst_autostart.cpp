// The user's autostart entry: written where the desktop looks, started as the tray switch says, and gone
// again without a trace.
#include "app/Uautostart.h"
#include "testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testutil::ReadFile;

namespace {

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_Dir.filePath("config"))); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    QString Entry() const { return m_Dir.filePath("config/autostart/wlanutil.desktop"); }

    QTemporaryDir m_Dir;
};

} // namespace

TEST_F(AutostartTest, OnWritesTheEntryAndOffRemovesIt)
{
    const CAutostart autostart("/opt/wl/wlanutil", "Wireless LAN Utility");
    EXPECT_EQ(CAutostart::EntryPath(), Entry()) << "XDG_CONFIG_HOME is honoured";
    EXPECT_FALSE(autostart.IsEnabled());
    ASSERT_TRUE(autostart.SetEnabled(true));
    EXPECT_TRUE(autostart.IsEnabled());
    const QByteArray text = ReadFile(Entry());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nExec=\"/opt/wl/wlanutil\" --tray\n"));
    EXPECT_TRUE(text.contains("\nName=Wireless LAN Utility\n"));
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(Entry()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(QDir(m_Dir.filePath("config/autostart")).entryList(QDir::Files),
              QStringList{"wlanutil.desktop"})
        << "no temporary file is left";

    ASSERT_TRUE(autostart.SetEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(Entry()));
    EXPECT_FALSE(autostart.IsEnabled());
    EXPECT_TRUE(autostart.SetEnabled(false)) << "no entry is already off";
}

TEST_F(AutostartTest, ProgramPathsAndTitlesThatNeedQuoting)
{
    const struct {
        QString program;
        QString name;
        QByteArray exec;
        QByteArray title;
    } cases[] = {
        {"/home/a b/wlanutil", "T", "Exec=\"/home/a b/wlanutil\" --tray\n", "Name=T\n"},
        {"/x/100%/w", "T", "Exec=\"/x/100%%/w\" --tray\n", "Name=T\n"},
        {"/x/$HOME`id`\"q\"/w", "T", "Exec=\"/x/\\\\$HOME\\\\`id\\\\`\\\\\"q\\\\\"/w\" --tray\n", "Name=T\n"},
        {"/x/back\\slash", "Two\nlines", "Exec=\"/x/back\\\\\\\\slash\" --tray\n", "Name=Two lines\n"},
        {"/x/w", QString::fromUtf8("WLAN-Dienstprogramm – Meldung"), "Exec=\"/x/w\" --tray\n",
         "Name=WLAN-Dienstprogramm \xE2\x80\x93 Meldung\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(CAutostart(c.program, c.name).SetEnabled(true));
        const QByteArray text = ReadFile(Entry());
        EXPECT_TRUE(text.contains("\n" + c.exec)) << text.constData();
        EXPECT_TRUE(text.contains("\n" + c.title)) << text.constData();
        EXPECT_EQ(text.count('\n'), 8) << "one line per value: " << text.constData();
    }
}

TEST_F(AutostartTest, AnEntryTheDesktopSwitchedOffCountsAsOff)
{
    QDir().mkpath(m_Dir.filePath("config/autostart"));
    const CAutostart autostart("/x/w", "T");
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        testutil::WriteFile(Entry(), QByteArray("[Desktop Entry]\nType=Application\nExec=wlanutil --tray\n") +
                                         off + "\n");
        EXPECT_FALSE(autostart.IsEnabled()) << off;
        ASSERT_TRUE(autostart.SetEnabled(true));
        EXPECT_TRUE(autostart.IsEnabled()) << off;
    }
}

// In a folder another user can change, the entry could be replaced by one that starts anything at the next
// login: it is neither written nor removed there.
TEST_F(AutostartTest, AFolderOthersCanChangeIsLeftAlone)
{
    const CAutostart autostart("/opt/wl/wlanutil", "Wireless LAN Utility");
    ASSERT_TRUE(autostart.SetEnabled(true));
    const QByteArray before = ReadFile(Entry());
    ASSERT_EQ(chmod(QFile::encodeName(m_Dir.filePath("config")).constData(), 0777), 0);
    EXPECT_FALSE(autostart.SetEnabled(false));
    EXPECT_EQ(ReadFile(Entry()), before);
    QFile::remove(Entry());
    EXPECT_FALSE(autostart.SetEnabled(true));
    EXPECT_FALSE(QFileInfo::exists(Entry()));
}

// The entry used to start a private path with no TryExec: after a purge the desktop still tried it, and its
// title stayed in the language shown when it was ticked.
TEST_F(AutostartTest, AnInstalledProgramStartsByItsPublicCommandUnderEveryTitle)
{
    const QString prefix = m_Dir.filePath("usr");
    QDir().mkpath(prefix + "/lib/wlanutil");
    QDir().mkpath(prefix + "/bin");
    for (const QString& f : {prefix + "/lib/wlanutil/wlanutil", prefix + "/bin/wlanutil"}) {
        testutil::WriteFile(f, "#!/bin/sh\n");
        QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    testutil::WriteFile(m_Dir.filePath("build/wlanutil"), "");
    const struct {
        QString executable;
        QString command;
    } cases[] = {
        {prefix + "/lib/wlanutil/wlanutil", prefix + "/bin/wlanutil"},
        // A program run from its build folder, or one whose public command is not there.
        {m_Dir.filePath("build/wlanutil"), m_Dir.filePath("build/wlanutil")},
        {prefix + "/lib/other/wlanutil", prefix + "/lib/other/wlanutil"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CAutostart::CommandFor(c.executable).toStdString(), c.command.toStdString());

    const CAutostart autostart(prefix + "/bin/wlanutil", "Wireless LAN Utility",
                               {{"de", "WLAN-Dienstprogramm"}});
    ASSERT_TRUE(autostart.SetEnabled(true));
    const QByteArray text = ReadFile(Entry());
    EXPECT_TRUE(text.contains("\nName=Wireless LAN Utility\nName[de]=WLAN-Dienstprogramm\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("\nTryExec=" + QFile::encodeName(prefix) + "/bin/wlanutil\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("\nExec=\"" + QFile::encodeName(prefix) + "/bin/wlanutil\" --tray\n"));
}
