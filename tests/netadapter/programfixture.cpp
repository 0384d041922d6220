#include "programfixture.h"

#include "netadapter/Netbus.h"
#include "testutil.h"

#include <QDir>
#include <QFile>

namespace {

const char* const kSettingsPath = "/org/freedesktop/NetworkManager/Settings/Home";

QString Path(const QTemporaryDir& dir, const char* name)
{
    return dir.filePath(QString::fromUtf8(name));
}

} // namespace

void NetProgramTest::SetUp()
{
    if (!NmStandin::Available())
        GTEST_SKIP() << "python3-dbusmock, python3-gi with gir1.2-nm-1.0 or dbus-daemon is not installed";
    ASSERT_TRUE(m_dir.isValid());
    QDir root(m_dir.path());
    for (const char* sub : {"run", "bin", "sys/usb/if", "sys/class/net/wlan0/statistics"})
        ASSERT_TRUE(root.mkpath(QString::fromUtf8(sub)));
    QFile::setPermissions(Path(m_dir, "run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The adapter the shipped settings name, so the program takes it up as it would on a laptop.
    testutil::WriteFile(Path(m_dir, "sys/usb/idVendor"), "f5e1\n");
    testutil::WriteFile(Path(m_dir, "sys/usb/idProduct"), "0301\n");
    ASSERT_TRUE(QFile::link("../../../usb/if", Path(m_dir, "sys/class/net/wlan0/device")));
    for (const char* f : {"wlanutil", "wlanutil.bin", "wlanutil.ini"})
        ASSERT_TRUE(QFile::copy(testutil::BinDir() + '/' + f, Path(m_dir, "bin/") + f)) << f;
    ASSERT_TRUE(QFile::copy(QString::fromUtf8(NETADAPTER_LIBRARY), Path(m_dir, "bin/libtsrwl.so")));
    testutil::WriteFile(Path(m_dir, "bin/wlanutil.Log"), "");

    m_nm = std::make_unique<NmStandin>(m_dir.path().toStdString());
    ASSERT_TRUE(m_nm->Start()) << "the stand-in did not start";
    m_device = m_nm->AddDevice("wifi0", "wlan0");
    constexpr uint32_t kPrivacy = 0x1, kCcmp = 0x8, kPsk = 0x100;
    m_nm->AddPoint(m_device, "office", "Harbor-Office", "00:1C:F0:11:22:01", 2437, 88, kPrivacy, 0,
                   kPsk | kCcmp);
    m_nm->AddPoint(m_device, "cafe", "Corner-Cafe", "00:1C:F0:11:22:02", 2462, 95, 0, 0, 0);
    m_active = m_nm->ConnectSaved(m_device, "Home", "Harbor-Office", "harbor-2026-office");
    m_saved = kSettingsPath;
    ASSERT_EQ(ActiveConnection(), m_active);
}

void NetProgramTest::TearDown()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(5000);
    }
    m_nm.reset();
}

void NetProgramTest::StartProgram(bool managed)
{
    const QString settings = Path(m_dir, "bin/wlanutil.bin");
    QByteArray text = testutil::ReadFile(settings);
    text.replace("\nEnableZeroCfg=0\n", "\n");
    if (managed)
        text.replace("\n[Setting]\n", "\n[Setting]\nEnableZeroCfg=0\n");
    ASSERT_TRUE(testutil::WriteFile(settings, text));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", Path(m_dir, "run"));
    env.insert("XDG_CONFIG_HOME", Path(m_dir, "config"));
    env.insert("XDG_DATA_HOME", Path(m_dir, "data"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", QString::fromStdString(m_nm->Address()));
    env.insert("TSRWL_NET_SYSFS", Path(m_dir, "sys"));
    env.insert("TSRWL_NET_PROFILES", Path(m_dir, "profiles"));
    m_program.setProcessEnvironment(env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(Path(m_dir, "bin/wlanutil"), QStringList{});
    ASSERT_TRUE(m_program.waitForStarted(10000));
}

bool NetProgramTest::CloseProgram()
{
    QProcess close;
    close.setProcessEnvironment(m_program.processEnvironment());
    close.start(Path(m_dir, "bin/wlanutil"), {"/Close"});
    return close.waitForFinished(15000) && m_program.waitForFinished(15000) && m_program.exitCode() == 0;
}

QString NetProgramTest::Log() const
{
    return QString::fromUtf8(testutil::ReadFile(Path(m_dir, "bin/wlanutil.Log")));
}

bool NetProgramTest::WaitLog(const QString& line, int count, int timeoutMs)
{
    return testutil::WaitFor([&] { return testutil::CountLogged(Log(), line) >= count; }, timeoutMs);
}

std::string NetProgramTest::RecordFile() const
{
    return Path(m_dir, "profiles/autoconnect.taken").toStdString();
}

uint64_t NetProgramTest::Autoconnect()
{
    return m_nm->Property(m_device, CNetBus::DeviceIface, "Autoconnect").Number(9);
}

std::string NetProgramTest::ActiveConnection()
{
    return m_nm->Property(m_device, CNetBus::DeviceIface, "ActiveConnection").Text();
}
