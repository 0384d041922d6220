#include "Usessionwatch.h"

#include "app/Udebug.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <cstring>
#include <unistd.h>

namespace {

const char* const LOGIN_SERVICE = "org.freedesktop.login1";
const char* const LOGIN_PATH = "/org/freedesktop/login1";
const char* const MANAGER_INTERFACE = "org.freedesktop.login1.Manager";
const char* const SESSION_INTERFACE = "org.freedesktop.login1.Session";
const char* const PROPERTIES_INTERFACE = "org.freedesktop.DBus.Properties";
constexpr uint64_t CALL_TIMEOUT_US = 2000 * 1000;

// The path of the system bus when it is a plain local socket; empty for addresses of any other form, which
// are left to the bus library.
std::string SystemBusSocket()
{
    const char* env = getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string address = env && *env ? env : "unix:path=/run/dbus/system_bus_socket";
    const std::string prefix = "unix:path=";
    if (address.compare(0, prefix.size(), prefix) != 0 || address.find_first_of(",;%") != std::string::npos)
        return {};
    return address.substr(prefix.size());
}

// True when the system bus is a local socket that does not exist (yet). Looking first spares a socket, and
// the kernel's work of setting it up, on every try while there is no bus.
bool NoSystemBusSocket()
{
    const std::string socket = SystemBusSocket();
    return !socket.empty() && access(socket.c_str(), F_OK) != 0;
}

// The deepest folder on the way to `path` that exists: where its next part will be created.
QString ExistingFolderOf(const QString& path)
{
    QFileInfo folder(QFileInfo(path).absolutePath());
    while (!folder.isDir() && !folder.isRoot())
        folder.setFile(folder.absolutePath());
    return folder.absoluteFilePath();
}

// Reads one a{sv} dictionary of a PropertiesChanged signal; `found` is set when it names Active.
int ReadChangedActive(sd_bus_message* message, bool& found, bool& active)
{
    int r = sd_bus_message_enter_container(message, SD_BUS_TYPE_ARRAY, "{sv}");
    while (r > 0 && (r = sd_bus_message_enter_container(message, SD_BUS_TYPE_DICT_ENTRY, "sv")) > 0) {
        const char* name = nullptr;
        r = sd_bus_message_read(message, "s", &name);
        if (r >= 0 && std::strcmp(name, "Active") == 0) {
            int value = 0;
            r = sd_bus_message_read(message, "v", "b", &value);
            found = r >= 0;
            active = value != 0;
        } else if (r >= 0) {
            r = sd_bus_message_skip(message, "v");
        }
        if (r >= 0)
            r = sd_bus_message_exit_container(message);
    }
    return r < 0 ? r : sd_bus_message_exit_container(message);
}

// True when the as list of invalidated properties of a PropertiesChanged signal names Active.
bool InvalidatesActive(sd_bus_message* message)
{
    char** names = nullptr;
    if (sd_bus_message_read_strv(message, &names) < 0)
        return false;
    bool found = false;
    for (char** name = names; name && *name; ++name) {
        found = found || std::strcmp(*name, "Active") == 0;
        free(*name);
    }
    free(names);
    return found;
}

} // namespace

CSessionWatch::CSessionWatch(QObject* parent) : QObject(parent) {}

CSessionWatch::~CSessionWatch()
{
    Unregister();
}

bool CSessionWatch::Register()
{
    if (!m_SessionPath.empty())
        Unregister();
    if (OpenBus() && FindSession() && ReadActive(m_Active) && Subscribe())
        return true;
    // A bus that still answers is kept: the next try only asks the login manager again.
    const bool keepBus = m_Bus && sd_bus_is_open(m_Bus) > 0 && m_SessionPath.empty();
    if (!keepBus)
        Unregister();
    m_SessionPath.clear();
    return false;
}

bool CSessionWatch::WaitForBus()
{
    if (!NoSystemBusSocket())
        return false;
    if (!m_BusFolder) {
        m_BusFolder = new QFileSystemWatcher(this);
        connect(m_BusFolder, &QFileSystemWatcher::directoryChanged, this, &CSessionWatch::BusFolderChanged);
    }
    const QString folder = ExistingFolderOf(QString::fromStdString(SystemBusSocket()));
    const QStringList watched = m_BusFolder->directories();
    if (watched != QStringList{folder}) {
        if (!watched.isEmpty())
            m_BusFolder->removePaths(watched);
        if (!m_BusFolder->addPath(folder)) {
            DebugPrint("CSessionWatch: cannot watch %s for the system bus", qPrintable(folder));
            return false;
        }
    }
    // The socket may have come between the first look and the watch.
    return NoSystemBusSocket();
}

void CSessionWatch::BusFolderChanged()
{
    // A folder on the way may have been made, or the socket itself: watch one step deeper or report it.
    if (WaitForBus())
        return;
    if (!m_BusFolder->directories().isEmpty())
        m_BusFolder->removePaths(m_BusFolder->directories());
    Q_EMIT BusChanged();
}

void CSessionWatch::Unregister()
{
    delete m_Notifier;
    m_Notifier = nullptr;
    // Dropping the bus also drops the signal subscriptions it holds.
    m_Bus = sd_bus_flush_close_unref(m_Bus);
    m_SessionPath.clear();
}

bool CSessionWatch::OpenBus()
{
    if (m_Bus)
        return true;
    if (NoSystemBusSocket())
        return false;
    const int r = sd_bus_open_system(&m_Bus);
    if (r >= 0)
        return true;
    m_Bus = nullptr;
    return false;
}

bool CSessionWatch::FindSession()
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    sd_bus_message* call = nullptr;
    const char* path = nullptr;
    int r = sd_bus_message_new_method_call(m_Bus, &call, LOGIN_SERVICE, LOGIN_PATH, MANAGER_INTERFACE,
                                           "GetSessionByPID");
    if (r >= 0)
        r = sd_bus_message_append(call, "u", uint32_t(getpid()));
    if (r >= 0)
        r = sd_bus_call(m_Bus, call, CALL_TIMEOUT_US, &error, &reply);
    if (r >= 0)
        r = sd_bus_message_read(reply, "o", &path);
    if (r >= 0 && path && *path)
        m_SessionPath = path;
    sd_bus_message_unref(call);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return !m_SessionPath.empty();
}

bool CSessionWatch::ReadActive(bool& active)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int value = 0;
    int r = sd_bus_call_method(m_Bus, LOGIN_SERVICE, m_SessionPath.c_str(), PROPERTIES_INTERFACE, "Get",
                               &error, &reply, "ss", SESSION_INTERFACE, "Active");
    if (r >= 0)
        r = sd_bus_message_read(reply, "v", "b", &value);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (r < 0)
        return false;
    active = value != 0;
    return true;
}

bool CSessionWatch::Subscribe()
{
    if (sd_bus_match_signal(m_Bus, nullptr, LOGIN_SERVICE, m_SessionPath.c_str(), PROPERTIES_INTERFACE,
                            "PropertiesChanged", &CSessionWatch::OnPropertiesChanged, this) < 0 ||
        sd_bus_match_signal(m_Bus, nullptr, LOGIN_SERVICE, LOGIN_PATH, MANAGER_INTERFACE, "PrepareForSleep",
                            &CSessionWatch::OnPrepareForSleep, this) < 0 ||
        sd_bus_match_signal(m_Bus, nullptr, LOGIN_SERVICE, LOGIN_PATH, MANAGER_INTERFACE,
                            "PrepareForShutdown", &CSessionWatch::OnPrepareForShutdown, this) < 0)
        return false;
    const int fd = sd_bus_get_fd(m_Bus);
    if (fd < 0)
        return false;
    m_Notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_Notifier, &QSocketNotifier::activated, this, &CSessionWatch::Dispatch);
    // Signals may already wait in the connection's buffer, where the socket no longer shows them.
    Dispatch();
    return m_Bus != nullptr;
}

void CSessionWatch::Dispatch()
{
    int r = 0;
    while ((r = sd_bus_process(m_Bus, nullptr)) > 0) {
    }
    if (r >= 0)
        return;
    DebugPrint("CSessionWatch: system bus connection lost: %s", strerror(-r));
    Unregister();
    Q_EMIT Lost();
}

int CSessionWatch::OnPropertiesChanged(sd_bus_message* message, void* self, sd_bus_error* /*error*/)
{
    auto* watch = static_cast<CSessionWatch*>(self);
    const char* interfaceName = nullptr;
    if (sd_bus_message_read(message, "s", &interfaceName) < 0 ||
        std::strcmp(interfaceName, SESSION_INTERFACE) != 0)
        return 0;
    bool found = false;
    bool active = watch->m_Active;
    if (ReadChangedActive(message, found, active) < 0)
        return 0;
    if (!found && !(InvalidatesActive(message) && watch->ReadActive(active)))
        return 0;
    watch->SetActive(active);
    return 0;
}

int CSessionWatch::OnPrepareForSleep(sd_bus_message* message, void* self, sd_bus_error* /*error*/)
{
    int start = 0;
    if (sd_bus_message_read(message, "b", &start) >= 0 && !start)
        Q_EMIT static_cast<CSessionWatch*>(self)->Resume();
    return 0;
}

int CSessionWatch::OnPrepareForShutdown(sd_bus_message* message, void* self, sd_bus_error* /*error*/)
{
    int start = 0;
    if (sd_bus_message_read(message, "b", &start) >= 0 && start)
        Q_EMIT static_cast<CSessionWatch*>(self)->Shutdown();
    return 0;
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
