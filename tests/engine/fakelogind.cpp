#include "fakelogind.h"
#include "testutil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QStandardPaths>
#include <QVariantMap>

namespace {

const char* const SERVICE = "org.freedesktop.login1";
const char* const MANAGER_PATH = "/org/freedesktop/login1";
const char* const SESSION_PATH = "/org/freedesktop/login1/session/_31";
const char* const CONNECTION = "fake-logind";

} // namespace

QDBusObjectPath FakeLoginManager::GetSessionByPID(uint)
{
    return QDBusObjectPath(SESSION_PATH);
}

FakeLogind::FakeLogind(const QString& dir) : m_Dir(dir), m_Socket(dir + "/bus") {}

FakeLogind::~FakeLogind()
{
    QDBusConnection::disconnectFromBus(CONNECTION);
    m_Thread.quit();
    m_Thread.wait();
    delete m_Manager;
    delete m_Session;
    m_Daemon.terminate();
    m_Daemon.waitForFinished(5000);
}

bool FakeLogind::Available()
{
    return !QStandardPaths::findExecutable("dbus-daemon").isEmpty();
}

bool FakeLogind::StartBus()
{
    const QString config = m_Dir + "/bus.conf";
    const QString text = QString(R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
    <allow user="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                             .arg(Address());
    QFile::remove(m_Socket);
    if (!testutil::WriteFile(config, text.toUtf8()))
        return false;
    m_Daemon.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    m_Daemon.setStandardErrorFile(QProcess::nullDevice());
    m_Daemon.start("dbus-daemon", {"--nofork", "--config-file=" + config});
    return m_Daemon.waitForStarted(5000) && testutil::WaitFor([&] { return QFile::exists(m_Socket); });
}

bool FakeLogind::StartService()
{
    // The objects answer on a thread of their own: the watch under test makes blocking calls from the test's.
    m_Thread.start();
    m_Manager = new FakeLoginManager;
    m_Session = new FakeLoginSession;
    m_Manager->moveToThread(&m_Thread);
    m_Session->moveToThread(&m_Thread);
    QDBusConnection bus = QDBusConnection::connectToBus(Address(), CONNECTION);
    return bus.isConnected() &&
           bus.registerObject(MANAGER_PATH, m_Manager, QDBusConnection::ExportAllSlots) &&
           bus.registerObject(SESSION_PATH, m_Session, QDBusConnection::ExportAllProperties) &&
           bus.registerService(SERVICE);
}

void FakeLogind::SetActive(bool active)
{
    m_Session->IsActive = active;
    QDBusMessage signal =
        QDBusMessage::createSignal(SESSION_PATH, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QString("org.freedesktop.login1.Session") << QVariantMap{{"Active", active}} << QStringList();
    QDBusConnection(CONNECTION).send(signal);
}

void FakeLogind::PrepareForSleep(bool start)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(MANAGER_PATH, "org.freedesktop.login1.Manager", "PrepareForSleep");
    signal << start;
    QDBusConnection(CONNECTION).send(signal);
}
