#include "Usessionwatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <unistd.h>

namespace {

const char* const LOGIN_SERVICE = "org.freedesktop.login1";
const char* const LOGIN_PATH = "/org/freedesktop/login1";
const char* const MANAGER_INTERFACE = "org.freedesktop.login1.Manager";
const char* const SESSION_INTERFACE = "org.freedesktop.login1.Session";
const char* const PROPERTIES_INTERFACE = "org.freedesktop.DBus.Properties";
constexpr int CALL_TIMEOUT_MS = 2000;

} // namespace

CSessionWatch::CSessionWatch(QObject* parent)
    : QObject(parent), m_BusName(QString("wlanutil-session-%1").arg(quintptr(this), 0, 16))
{
}

CSessionWatch::~CSessionWatch()
{
    Unregister();
}

bool CSessionWatch::Register()
{
    Unregister();
    if (Connect())
        return true;
    Unregister();
    return false;
}

bool CSessionWatch::Connect()
{
    // A bus connection of our own, so that a failed attempt can be thrown away and the next one starts
    // afresh.
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, m_BusName);
    if (!bus.isConnected())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(LOGIN_SERVICE, LOGIN_PATH, MANAGER_INTERFACE, "GetSessionByPID");
    call << quint32(getpid());
    const QDBusMessage reply = bus.call(call, QDBus::Block, CALL_TIMEOUT_MS);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    m_SessionPath = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
    return !m_SessionPath.isEmpty() && ReadActive(m_Active) &&
           bus.connect(LOGIN_SERVICE, m_SessionPath, PROPERTIES_INTERFACE, "PropertiesChanged", this,
                       SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList))) &&
           bus.connect(LOGIN_SERVICE, LOGIN_PATH, MANAGER_INTERFACE, "PrepareForSleep", this,
                       SLOT(OnPrepareForSleep(bool)));
}

void CSessionWatch::Unregister()
{
    QDBusConnection::disconnectFromBus(m_BusName);
    m_SessionPath.clear();
}

bool CSessionWatch::ReadActive(bool& active) const
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(LOGIN_SERVICE, m_SessionPath, PROPERTIES_INTERFACE, "Get");
    call << QString(SESSION_INTERFACE) << QString("Active");
    const QDBusMessage reply = QDBusConnection(m_BusName).call(call, QDBus::Block, CALL_TIMEOUT_MS);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    active = qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
    return true;
}

void CSessionWatch::OnPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                        const QStringList& invalidated)
{
    if (interfaceName != SESSION_INTERFACE)
        return;
    bool active = m_Active;
    if (changed.contains("Active"))
        active = changed.value("Active").toBool();
    else if (!invalidated.contains("Active") || !ReadActive(active))
        return;
    SetActive(active);
}

void CSessionWatch::SetActive(bool active)
{
    if (active == m_Active)
        return;
    m_Active = active;
    if (active)
        Q_EMIT ConsoleConnect();
    else
        Q_EMIT ConsoleDisconnect();
}

void CSessionWatch::OnPrepareForSleep(bool start)
{
    if (!start)
        Q_EMIT Resume();
}
