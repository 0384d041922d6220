#include "adapterfixture.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Ucumlib.h"
#include "engine/Udetectignore.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstring>

namespace {

QTemporaryDir* g_LogDir = nullptr;

QString LogPath()
{
    return g_LogDir->filePath(QStringLiteral("engine.Log"));
}

} // namespace

bool NotifyRecorder::event(QEvent* e)
{
    if (e->type() != QEvent::Type(NotifyMsg()))
        return QObject::event(e);
    const auto* notify = static_cast<TNotifyEvent*>(e);
    std::lock_guard lock(m_Mutex);
    m_Received.emplace_back(notify->Code, notify->Value);
    return true;
}

std::vector<std::pair<int, int>> NotifyRecorder::Received() const
{
    std::lock_guard lock(m_Mutex);
    return m_Received;
}

int NotifyRecorder::Count(int code) const
{
    std::lock_guard lock(m_Mutex);
    return int(std::count_if(m_Received.begin(), m_Received.end(),
                             [code](const auto& r) { return r.first == code; }));
}

void AdapterTest::SetUpTestSuite()
{
    static int argc = 1;
    static char name[] = "tst_engine";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    RegisterNotifyMsg();
    if (!g_LogDir) {
        // One log for the whole program, opened before any adapter thread writes to it; its folder is removed
        // when the program ends.
        static QTemporaryDir dir;
        g_LogDir = &dir;
        testutil::WriteFile(LogPath(), "");
        DebugLogFile().Open(g_LogDir->filePath(QStringLiteral("engine")).toStdString());
    }
}

void AdapterTest::SetUp()
{
    qputenv("XDG_CONFIG_HOME", m_Dir.filePath(QStringLiteral("config")).toUtf8());
    WriteSettings("[Setting]\nProfRoot=EngineTest\n");
    strcpy(m_Desc.Description, "Test wireless adapter");
    strcpy(m_Desc.HwId, "USB\\VID_0BDA&PID_8189");
    strcpy(m_Desc.Instance, "9999");
    UseLibrary();
    m_LogStart = QFileInfo(LogPath()).size();
}

void AdapterTest::TearDown()
{
    m_Adapter.reset();
    SetDetectIgnore(nullptr);
    fakelib::Uninstall();
    g_Var.OsKind = 7;
}

void AdapterTest::UseSimulator(const char* scenario, const char* hwId)
{
    testutil::WriteFile(m_Dir.filePath("scenario.ini"), scenario);
    qputenv("TSRWL_SIM_SCENARIO", m_Dir.filePath("scenario.ini").toUtf8());
    qputenv("TSRWL_SIM_STATE", m_Dir.filePath("sim.state").toUtf8());
    qputenv("TSRWL_SIM_PROFILES", m_Dir.filePath("profiles").toUtf8());
    ASSERT_TRUE(g_TSLib.Load((testutil::BinDir() + "/libtsrwl.so").toStdString()));
    g_TSLib.TSRWL_SetWLProfileDir(g_Var.ProfRoot.toUtf8().constData());
    strcpy(m_Desc.HwId, hwId);
}

void AdapterTest::WriteSettings(const QByteArray& text)
{
    testutil::WriteFile(m_Dir.filePath(QStringLiteral("wlanutil.bin")), text);
    g_Var.ReadFiles(m_Dir.filePath(QStringLiteral("wlanutil")));
}

CNICAdapter& AdapterTest::Adapter(uint32_t flags)
{
    if (!m_Adapter)
        m_Adapter = CNICAdapter::Create(&m_Recorder, flags, m_Desc);
    return *m_Adapter;
}

QString AdapterTest::LogSince() const
{
    return QString::fromUtf8(testutil::ReadFile(LogPath()).mid(m_LogStart));
}

QString AdapterTest::StoreFile() const
{
    return m_Dir.filePath(QStringLiteral("config/EngineTest/WLAdapter.conf"));
}

bool AdapterTest::WaitForLog(const QString& text, int timeoutMs) const
{
    return testutil::WaitFor([&] { return LogSince().contains(text); }, timeoutMs);
}
