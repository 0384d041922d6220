// The program as a process: single instance, close requests and a missing adapter library.
#include "testutil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using testutil::ReadFile;

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(m_Dir.path()).mkdir("run");
        QFile::setPermissions(m_Dir.filePath("run"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        for (const char* f : {"wlanutil", "wlanutil.bin", "wlanutil.ini", "wlanutil.de.ini", "libtsrwl.so"})
            QFile::copy(testutil::BinDir() + '/' + f, m_Dir.filePath(f));
        testutil::WriteFile(m_Dir.filePath("wlanutil.Log"), "");
    }
    void TearDown() override
    {
        for (QProcess* p : m_Running) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
    }
    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_Dir.filePath("run"));
        env.insert("XDG_CONFIG_HOME", m_Dir.filePath("config"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }
    QProcess* Start(const QStringList& args, const std::function<void()>& inChild = {})
    {
        auto* p = new QProcess;
        p->setProcessEnvironment(Environment());
        if (inChild)
            p->setChildProcessModifier(inChild);
        p->start(m_Dir.filePath("wlanutil"), args);
        p->waitForStarted(10000);
        m_Running << p;
        return p;
    }
    // Runs the program to its end; returns its exit code, or -1 when it did not end in time.
    int Run(const QStringList& args, int timeoutMs = 15000)
    {
        QProcess* p = Start(args);
        if (!p->waitForFinished(timeoutMs))
            return -1;
        return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -2;
    }
    QByteArray Log(const char* suffix = "") const
    {
        return ReadFile(m_Dir.filePath(QString("wlanutil%1.Log").arg(suffix)));
    }
    bool Listening() const { return QFileInfo::exists(m_Dir.filePath("run/Tessaro_NotifyMsg")); }

    QTemporaryDir m_Dir;
    QList<QProcess*> m_Running;
};

} // namespace

TEST_F(StartupTest, SecondStartAsksTheFirstToShowAndCloseEndsIt)
{
    QProcess* first = Start({"/UI"});
    ASSERT_TRUE(testutil::WaitFor([&] { return Listening(); }));
    EXPECT_EQ(Run({}), 0);
    EXPECT_TRUE(Log("_000").contains("Instance mutex already exists\r\n"));
    EXPECT_FALSE(first->waitForFinished(500)) << "the first instance keeps running";

    EXPECT_EQ(Run({"/Close"}), 0);
    ASSERT_TRUE(first->waitForFinished(10000)) << "a close request ends the running instance";
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_TRUE(Log().startsWith("== START LOG ==\r\nParam(1) /UI\r\n"));
    EXPECT_TRUE(Log().contains("WPM_CLOSEALL\r\n"));
    EXPECT_TRUE(Log("_001").contains("PM_CLOSE\r\n"));
    EXPECT_FALSE(Log().contains("Failed to load")) << "the adapter library loads";
}

TEST_F(StartupTest, CloseWithoutRunningInstanceEndsAtOnce)
{
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(Run({"/close"}), 0);
    EXPECT_LT(t.elapsed(), 8000);
    EXPECT_TRUE(Log().contains("PM_CLOSE\r\n"));
}

TEST_F(StartupTest, MissingLibraryEndsTheProgramBeforeAnyCloseRequest)
{
    QProcess* first = Start({});
    ASSERT_TRUE(testutil::WaitFor([&] { return Listening(); }));
    QFile::remove(m_Dir.filePath("libtsrwl.so"));
    EXPECT_EQ(Run({"/Close"}), 0);
    EXPECT_TRUE(Log("_000").contains("Failed to load TSRWL.DLL library file.\r\n"));
    EXPECT_FALSE(Log("_000").contains("PM_CLOSE"));
    EXPECT_FALSE(first->waitForFinished(500)) << "the close request is never sent";
}

TEST_F(StartupTest, StaleSocketAndManyArguments)
{
    // A socket file left by a crashed instance must not keep the next one deaf.
    testutil::WriteFile(m_Dir.filePath("run/Tessaro_NotifyMsg"), "");
    QStringList args;
    for (int i = 0; i < 100; ++i)
        args << QString("arg%1").arg(i);
    QProcess* first = Start(args);
    ASSERT_TRUE(testutil::WaitFor([&] { return Log().contains("Param(100) arg99\r\n"); }));
    // The instance answers only once its window and skin exist, when a socket has replaced the stale file.
    ASSERT_TRUE(testutil::WaitFor([&] {
        const QFileInfo socket(m_Dir.filePath("run/Tessaro_NotifyMsg"));
        return socket.exists() && !socket.isFile();
    }));
    EXPECT_EQ(Run({"/Close"}), 0);
    EXPECT_TRUE(first->waitForFinished(10000));
}

TEST_F(StartupTest, WithoutAPrivateRuntimeFolderItSaysSoAndEnds)
{
    if (QFileInfo::exists(QString("/run/user/%1").arg(getuid())))
        GTEST_SKIP() << "the session folder is a private runtime folder";
    // The cache folder's runtime folder is open to others, as if someone else had made it.
    ASSERT_TRUE(QDir(m_Dir.path()).mkpath("cache/wlanutil-runtime"));
    QFile::setPermissions(m_Dir.filePath("cache/wlanutil-runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::WriteOther | QFileDevice::ExeOther);
    QProcessEnvironment env = Environment();
    env.remove("XDG_RUNTIME_DIR");
    env.insert("XDG_CACHE_HOME", m_Dir.filePath("cache"));
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(m_Dir.filePath("wlanutil"), {"/UI"});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_LT(t.elapsed(), 10000) << "no rounds of close requests to nobody";
    EXPECT_TRUE(p.readAllStandardError().contains("XDG_RUNTIME_DIR"));
    EXPECT_TRUE(Log().contains("no private runtime folder"));
    EXPECT_FALSE(Log().contains("broadcast close"));
}

TEST_F(StartupTest, UnderAFileSizeLimitASettingsWriteFailsAndTheProgramLivesOn)
{
    // The program died by SIGXFSZ in the middle of writing its settings. Started as a service it connects
    // with the last applied profile and writes it back, to a file larger than the limit.
    QDir(m_Dir.path()).mkpath("config/Tessaro");
    const QString settings = m_Dir.filePath("config/Tessaro/wlanutil.bin");
    const QByteArray original =
        "[LastApplyProf]\r\nProfileName=Cafe\r\nSsid1=Corner-Cafe\r\nNetworkMode=1\r\n"
        "[Notes]\r\nText=" +
        QByteArray(40000, 'n') + "\r\n";
    testutil::WriteFile(settings, original);
    QProcess* p = Start({"/Service"}, [] {
        const rlimit limit{32768, 32768};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    ASSERT_TRUE(testutil::WaitFor([&] { return Log().contains("ProfToIniFile exception"); }, 20000))
        << Log().constData();
    EXPECT_TRUE(Log().contains(QByteArray("WriteFileAtomic: can't write ") + QFile::encodeName(settings) +
                               " ErrCode(1b)"));
    EXPECT_FALSE(p->waitForFinished(500)) << "the program lives on";
    EXPECT_EQ(ReadFile(settings), original);
    EXPECT_EQ(QDir(m_Dir.filePath("config/Tessaro")).entryList({"wlanutil.bin.*"}), QStringList{});
    EXPECT_EQ(Run({"/Close"}), 0);
    EXPECT_TRUE(p->waitForFinished(10000));
}

TEST_F(StartupTest, ABadLanguageFileIsToldOnceAndWhatAnEarlierRunLeftIsRemoved)
{
    // A program where the texts should be: read as empty, and nobody was told.
    testutil::WriteFile(m_Dir.filePath("wlanutil.ini"), "\x7F"
                                                        "ELF\x02\x01\x01" +
                                                            QByteArray(64, '\0') + "\n[Common]\n");
    QDir(m_Dir.path()).mkpath("config/Tessaro");
    const QStringList leftovers{"wlanutil.bin.Ab12Cd", "WLAdapter.conf.Xy34Zw"};
    for (const QString& name : leftovers + QStringList{"notes.Ab12Cd"})
        testutil::WriteFile(m_Dir.filePath("config/Tessaro/" + name), "x");
    QProcess* first = Start({});
    ASSERT_TRUE(testutil::WaitFor([&] { return Listening(); }));
    EXPECT_EQ(Log().count("wlanutil.ini is no INI file; defaults are used"), 1);
    EXPECT_EQ(QDir(m_Dir.filePath("config/Tessaro"))
                  .entryList(QDir::Files)
                  .filter(QRegularExpression("\\.[A-Za-z0-9]{6}$")),
              QStringList{"notes.Ab12Cd"});
    EXPECT_EQ(Run({"/Close"}), 0);
    EXPECT_TRUE(first->waitForFinished(10000)) << "a close request ends it while the notice is open";
}

TEST_F(StartupTest, HelpVersionAndUnknownSwitchesAnswerOnTheConsoleAndStartNothing)
{
    const struct {
        QStringList args;
        int exitCode;
        QByteArray out;
        QByteArray err;
    } cases[] = {
        {{"--help"}, 0, "Usage: wlanutil [SWITCH]...\n", ""},
        {{"/UI", "--version"}, 0, "wlanutil 1.0.0.1\n", ""},
        {{"--ui", "--verbose"}, 2, "", "wlanutil: unknown switch '--verbose'; --help lists the switches.\n"},
        {{"/Closer"}, 2, "", "wlanutil: unknown switch '/Closer'; --help lists the switches.\n"},
    };
    for (bool display : {true, false}) {
        for (const auto& c : cases) {
            QProcessEnvironment env = Environment();
            if (!display)
                for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                    env.remove(name);
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(m_Dir.filePath("wlanutil"), c.args);
            ASSERT_TRUE(p.waitForFinished(10000));
            const QByteArray out = p.readAllStandardOutput();
            const QByteArray err = p.readAllStandardError();
            const std::string what = c.args.join(' ').toStdString() + (display ? "" : " without a display");
            EXPECT_EQ(p.exitCode(), c.exitCode) << what;
            EXPECT_TRUE(out.startsWith(c.out)) << what << ": " << out.constData();
            EXPECT_EQ(err.isEmpty(), c.err.isEmpty()) << what << ": " << err.constData();
            if (!c.err.isEmpty()) {
                EXPECT_EQ(err, c.err) << what;
            }
            EXPECT_FALSE(Log().contains("Param(")) << what << ": no instance started";
        }
    }
}

TEST_F(StartupTest, HelpAndErrorsSpeakTheDesktopsLanguage)
{
    QProcessEnvironment env = Environment();
    env.insert("LANGUAGE", "de");
    env.insert("LC_ALL", "de_DE.UTF-8");
    for (const auto& [args, stream, text] :
         {std::tuple{QStringList{"--help"}, QProcess::StandardOutput,
                     QByteArray("Aufruf: wlanutil [OPTION]…\n")},
          std::tuple{
              QStringList{"--lauter"}, QProcess::StandardError,
              QByteArray("wlanutil: unbekannte Option „--lauter“; --help listet die Optionen auf.\n")}}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setReadChannel(stream);
        p.start(m_Dir.filePath("wlanutil"), args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_TRUE(p.readAll().startsWith(text)) << args.join(' ').toStdString();
    }
}

// From a console or a service without a display, --close used to say "no display" and leave the instance.
TEST_F(StartupTest, CloseNeedsNoDisplay)
{
    QProcess* first = Start({"--tray"});
    ASSERT_TRUE(testutil::WaitFor([&] { return Listening(); }));
    QProcessEnvironment env = Environment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    QProcess close;
    close.setProcessEnvironment(env);
    close.start(m_Dir.filePath("wlanutil"), {"--close"});
    ASSERT_TRUE(close.waitForFinished(15000));
    EXPECT_EQ(close.exitCode(), 0);
    EXPECT_FALSE(close.readAllStandardError().contains("no display"));
    ASSERT_TRUE(first->waitForFinished(15000)) << "the running instance was closed";
    EXPECT_TRUE(Log().contains("WPM_CLOSEALL\r\n"));
}

TEST_F(StartupTest, LongSwitchesStartAndCloseLikeTheSlashForms)
{
    // The toolkit's own options are no unknown switches.
    QProcess* first = Start({"--tray", "-platform", "offscreen"});
    ASSERT_TRUE(testutil::WaitFor([&] { return Listening(); }));
    EXPECT_EQ(Run({"--close"}), 0);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_TRUE(Log().contains("Param(1) --tray\r\n"));
    EXPECT_TRUE(Log().contains("WPM_CLOSEALL\r\n"));
}

// A FIFO in place of the user's copy of the settings or of the adapter store blocked the start or the
// adapter's worker for good, and nobody was told. Neither is read; the program starts, says so and ends on
// request.
TEST_F(StartupTest, FifosInPlaceOfTheSettingsAndTheStoreBlockNothing)
{
    QDir(m_Dir.path()).mkpath("config/Tessaro");
    for (const char* name : {"config/Tessaro/wlanutil.bin", "config/Tessaro/WLAdapter.conf"})
        ASSERT_EQ(mkfifo(QFile::encodeName(m_Dir.filePath(name)).constData(), 0600), 0) << name;
    QProcess* first = Start({});
    ASSERT_TRUE(testutil::WaitFor([&] { return Listening(); }, 20000)) << Log().constData();
    EXPECT_TRUE(testutil::WaitFor([&] {
        return Log().contains("config/Tessaro/wlanutil.bin is no regular file") &&
               Log().contains("config/Tessaro/WLAdapter.conf is no regular file");
    })) << Log().constData();
    EXPECT_EQ(Run({"/Close"}), 0);
    EXPECT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitCode(), 0);
}
