// The adapter's life without a window: detection finds the simulated adapter plugged and unplugged by its
// control command, the session attaches, asks for the last profile and closes, and every notify code goes
// where it belongs.
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Uadaptersession.h"
#include "engine/Ucumlib.h"
#include "simtest.h"
#include "testutil.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using testutil::WaitFor;

namespace {

// What the session reported, one line per signal, in order.
class SessionLog {
public:
    explicit SessionLog(CAdapterSession& s)
    {
        const auto note = [this](const QString& line) { Lines << line; };
        QObject::connect(&s, &CAdapterSession::ShowRequested, &s, [note] { note("show"); });
        QObject::connect(&s, &CAdapterSession::CloseRequested, &s, [note] { note("close"); });
        QObject::connect(&s, &CAdapterSession::PageRequested, &s,
                         [note](int c) { note(QString("page %1").arg(c)); });
        QObject::connect(&s, &CAdapterSession::EditorRequested, &s,
                         [note](int extra) { note(QString("editor %1").arg(extra)); });
        QObject::connect(&s, &CAdapterSession::ModeChanged, &s,
                         [note](int m) { note(QString("mode %1").arg(m)); });
        QObject::connect(&s, &CAdapterSession::AdapterAttaching, &s, [note](CNICAdapter* a, int m) {
            note(QString("attach %1%2").arg(m).arg(a ? "" : " null"));
        });
        QObject::connect(&s, &CAdapterSession::AdapterDetaching, &s, [note](CNICAdapter* a, int m) {
            note(QString("detach %1%2").arg(m).arg(a ? "" : " null"));
        });
        QObject::connect(&s, &CAdapterSession::SoftAPAvailable, &s,
                         [note](bool on) { note(QString("softap %1").arg(on)); });
        QObject::connect(&s, &CAdapterSession::ConnectLastRequested, &s,
                         [note](int m) { note(QString("connect last %1").arg(m)); });
        QObject::connect(&s, &CAdapterSession::LinkChanged, &s,
                         [note](CAdapterSession::LinkState l) { note(QString("link %1").arg(int(l))); });
        QObject::connect(&s, &CAdapterSession::Applying, &s, [note] { note("applying"); });
        QObject::connect(&s, &CAdapterSession::HandedToManager, &s, [note] { note("manager"); });
        QObject::connect(&s, &CAdapterSession::AdapterReady, &s, [note] { note("ready"); });
        QObject::connect(&s, &CAdapterSession::AdapterClosed, &s, [note] { note("closed"); });
    }
    // The lines from `first` on (all when there is none), without the link reports that come and go.
    QStringList From(const QString& first) const
    {
        QStringList out = Lines.mid(Lines.indexOf(first));
        out.removeIf([](const QString& line) { return line.startsWith("link "); });
        return out;
    }
    QStringList Lines;
};

class AdapterSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RegisterNotifyMsg();
        s_Dir = new QTemporaryDir;
        ASSERT_TRUE(simtest::LoadSimulator(*s_Dir));
    }
    static void TearDownTestSuite()
    {
        delete s_Dir;
        s_Dir = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.isValid());
        // Settings the adapter writes stay out of the next test.
        qputenv("XDG_CONFIG_HOME", m_Dir.filePath("config").toUtf8());
        g_Var.ReadFiles(testutil::BinDir() + "/wlanutil");
        g_Var.ProfRoot = QString("SessionTest%1").arg(getpid());
        g_Var.OsKind = 7;
        g_TSLib.TSRWL_SetWLProfileDir(g_Var.ProfRoot.toUtf8().constData());
        testutil::WriteFile(m_Dir.filePath("prog.Log"), "");
        DebugLogFile().Open(m_Dir.filePath("prog").toStdString());
        SimCtl("plug");
    }
    void TearDown() override
    {
        m_Session.EndWork();
        DebugLogFile().Close();
    }

    static void SimCtl(const QString& command)
    {
        ASSERT_FALSE(simtest::SimCtl(command).isEmpty()) << qPrintable(command);
    }
    void StartWithAdapter(uint32_t flags)
    {
        m_Session.Start(flags);
        ASSERT_TRUE(WaitFor([&] { return m_Session.Adapter() != nullptr; }));
    }

    static QTemporaryDir* s_Dir;
    QTemporaryDir m_Dir;
    CAdapterSession m_Session;
    SessionLog m_Log{m_Session};
};

QTemporaryDir* AdapterSessionTest::s_Dir = nullptr;

} // namespace

TEST_F(AdapterSessionTest, APluggedAdapterIsAttachedAndAsksForTheLastProfile)
{
    // The pages hear of the new adapter before they are given it, so they read its Soft AP profile afresh.
    QStringList heard;
    QObject::connect(&m_Session, &CAdapterSession::AdapterEvent, &m_Session,
                     [&](CNICAdapter*, int code, int) { heard << QString("event %1").arg(code); });
    QObject::connect(&m_Session, &CAdapterSession::AdapterAttaching, &m_Session,
                     [&](CNICAdapter*, int) { heard << "attach"; });
    StartWithAdapter(0);
    EXPECT_EQ(heard.mid(0, 2), QStringList({"event 12", "attach"}));
    EXPECT_EQ(m_Log.From("mode 0"),
              QStringList({"mode 0", "softap 1", "attach 0", "connect last 0", "ready"}));
    EXPECT_FALSE(m_Session.Closing());
    // Further arrival reports of the same plugging in change nothing.
    const CNICAdapter* adapter = m_Session.Adapter();
    m_Log.Lines.clear();
    m_Session.HandleNotify(NM_DEVICE, DEVICE_ARRIVED);
    EXPECT_EQ(m_Session.Adapter(), adapter);
    EXPECT_EQ(m_Log.From(QString()), QStringList());
    // The simulated adapter connects by itself and the status reports say so.
    EXPECT_TRUE(WaitFor([&] { return m_Log.Lines.contains("link 0") || m_Log.Lines.contains("link 1"); }));
}

TEST_F(AdapterSessionTest, AServiceStartAppliesTheLastAppliedProfileItself)
{
    StartWithAdapter(SF_SERVICE);
    EXPECT_EQ(m_Log.From("mode 0").mid(0, 3), QStringList({"mode 0", "softap 1", "attach 0"}));
    // The adapter applies the profile on its own (its "applying" report may already be in); the session asks
    // the window for none.
    EXPECT_FALSE(m_Log.Lines.join('\n').contains("connect last")) << m_Log.Lines.join(' ').toStdString();
}

TEST_F(AdapterSessionTest, UnplugClosesAndAReplugAttachesANewAdapter)
{
    StartWithAdapter(0);
    m_Log.Lines.clear();
    SimCtl("unplug");
    ASSERT_TRUE(WaitFor([&] { return m_Log.Lines.contains("closed"); }));
    EXPECT_EQ(m_Session.Adapter(), nullptr);
    EXPECT_EQ(m_Log.From("detach 0"), QStringList({"detach 0", "softap 0", "closed"}));

    m_Log.Lines.clear();
    SimCtl("plug");
    ASSERT_TRUE(WaitFor([&] { return m_Log.Lines.contains("ready"); }));
    EXPECT_NE(m_Session.Adapter(), nullptr);
    EXPECT_EQ(m_Log.From("mode 0"),
              QStringList({"mode 0", "softap 1", "attach 0", "connect last 0", "ready"}));
}

TEST_F(AdapterSessionTest, TheAdapterStaysUntilTheFormsAreClosed)
{
    std::function<void()> finish;
    m_Session.SetFormCloser([&](std::function<void()> done) { finish = std::move(done); });
    StartWithAdapter(0);
    SimCtl("unplug");
    ASSERT_TRUE(WaitFor([&] { return bool(finish); }));
    EXPECT_TRUE(m_Session.Closing());
    EXPECT_NE(m_Session.Adapter(), nullptr) << "the forms may still use the adapter";
    // Arrivals while closing wait for the close.
    m_Session.HandleNotify(NM_DEVICE, DEVICE_ARRIVED);
    EXPECT_FALSE(m_Log.Lines.contains("closed"));
    finish();
    EXPECT_FALSE(m_Session.Closing());
    EXPECT_EQ(m_Session.Adapter(), nullptr);
}

TEST_F(AdapterSessionTest, AModeSwitchMovesTheAdapterOverAndIsRemembered)
{
    StartWithAdapter(0);
    m_Log.Lines.clear();
    m_Session.SwitchMode(1);
    EXPECT_EQ(m_Log.From("detach 0"), QStringList({"detach 0", "mode 1", "attach 1", "connect last 1"}));
    EXPECT_EQ(m_Session.Adapter()->ReadSet("OperateMode", 0), 1);
    // The next attach starts in the remembered mode.
    m_Log.Lines.clear();
    SimCtl("unplug");
    ASSERT_TRUE(WaitFor([&] { return m_Log.Lines.contains("closed"); }));
    EXPECT_EQ(m_Log.From("detach 1").value(0), "detach 1");
    SimCtl("plug");
    ASSERT_TRUE(WaitFor([&] { return m_Log.Lines.contains("connect last 1"); }));
}

TEST_F(AdapterSessionTest, NotifyCodesReachTheirSignals)
{
    // Without an adapter only the codes of the window and the second instance do anything.
    const struct {
        int code;
        int value;
        QStringList lines;
    } cases[] = {
        {NM_SHOW, 0, {"show"}},
        {NM_CLOSE_ALL, 0, {"close"}},
        {NM_SHOW_PAGE, PAGE_SITE_SURVEY, {"page 3"}},
        {NM_EDIT_SCANNED, 512, {"editor 512"}},
        {NM_STATUS, 0, {}},
        {NM_ZEROCFG, 1, {}},
        {NM_APPLYING, 0, {}},
        {NM_ATTACHED, 0, {}},
        {NM_DEVICE, DEVICE_REMOVED, {}},
        {6, 0, {}},
        {-1, 0, {}},
    };
    for (const auto& c : cases) {
        m_Log.Lines.clear();
        EXPECT_EQ(m_Session.HandleNotify(c.code, c.value), 0) << c.code;
        EXPECT_EQ(m_Log.Lines, c.lines) << c.code;
    }
}

TEST_F(AdapterSessionTest, SaveRequestsGoToTheSaverUnlessBitZeroIsSet)
{
    EXPECT_EQ(m_Session.HandleNotify(NM_SAVE_PROFILE, 0x100), 0) << "nobody to store it";
    QList<int> asked;
    m_Session.SetProfileSaver([&](int flags) {
        asked << flags;
        return 1;
    });
    EXPECT_EQ(m_Session.HandleNotify(NM_SAVE_PROFILE, 0x100), 1);
    EXPECT_EQ(m_Session.HandleNotify(NM_SAVE_PROFILE, 0x101), 0);
    EXPECT_EQ(asked, QList<int>({0x100}));
}

TEST_F(AdapterSessionTest, AWindowHiddenBeforeTheAdapterCameTakesOnlyTheLinksChanges)
{
    int reports = 0;
    QObject::connect(&m_Session, &CAdapterSession::AdapterEvent, &m_Session,
                     [&](CNICAdapter*, int code, int) { reports += code == NM_STATUS ? 1 : 0; });
    m_Session.SetChangesOnly(true);
    StartWithAdapter(0);
    // The link stays down: status collections every two seconds, of which at most the first is reported.
    EXPECT_FALSE(WaitFor([&] { return reports >= 2; }, 5000)) << reports;
    const int hidden = reports;
    m_Session.SetChangesOnly(false);
    EXPECT_TRUE(WaitFor([&] { return reports >= hidden + 2; }, 10000)) << "shown again, every report";
}

TEST_F(AdapterSessionTest, AdapterCodesArePassedOnAndTheManagerTakesOver)
{
    StartWithAdapter(0);
    QList<int> events;
    QObject::connect(&m_Session, &CAdapterSession::AdapterEvent, &m_Session,
                     [&](CNICAdapter*, int code, int) { events << code; });
    m_Log.Lines.clear();
    m_Session.HandleNotify(NM_APPLYING, 1);
    m_Session.HandleNotify(NM_APPLYING, 0);
    m_Session.HandleNotify(NM_PROFILE_LIST, 0);
    EXPECT_EQ(m_Log.Lines, QStringList({"applying"})) << "only a station profile ends what the link showed";
    EXPECT_EQ(events, QList<int>({NM_APPLYING, NM_APPLYING, NM_PROFILE_LIST}));

    m_Log.Lines.clear();
    m_Session.HandleNotify(NM_ZEROCFG, 1);
    m_Session.HandleNotify(NM_ZEROCFG, 0);
    EXPECT_EQ(m_Log.From("manager"), QStringList({"manager", "connect last 0", "page 1"}));
}
