#include "fakelogind.h"
#include "testutil.h"

#include <QFile>
#include <QStandardPaths>
#include <fcntl.h>
#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const SERVICE = "org.freedesktop.login1";
const char* const MANAGER_PATH = "/org/freedesktop/login1";
const char* const MANAGER_INTERFACE = "org.freedesktop.login1.Manager";
const char* const SESSION_PATH = "/org/freedesktop/login1/session/_31";
const char* const SESSION_INTERFACE = "org.freedesktop.login1.Session";

int GetSessionByPid(sd_bus_message* call, void*, sd_bus_error*)
{
    return sd_bus_reply_method_return(call, "o", SESSION_PATH);
}

int GetActive(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* logind,
              sd_bus_error*)
{
    return sd_bus_message_append(reply, "b", int(static_cast<FakeLogind*>(logind)->Active.load()));
}

const sd_bus_vtable MANAGER_VTABLE[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetSessionByPID", "u", "o", GetSessionByPid, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("PrepareForSleep", "b", 0),
    SD_BUS_SIGNAL("PrepareForShutdown", "b", 0),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable SESSION_VTABLE[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Active", "b", GetActive, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_VTABLE_END,
};

} // namespace

FakeLogind::FakeLogind(const QString& dir) : m_Dir(dir), m_Socket(dir + "/bus") {}

FakeLogind::~FakeLogind()
{
    if (m_Thread.joinable()) {
        m_Stop = true;
        Post([](sd_bus*) {});
        m_Thread.join();
    }
    sd_bus_flush_close_unref(m_Bus);
    for (int fd : m_Wake) {
        if (fd >= 0)
            close(fd);
    }
    StopDaemon();
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
    const QByteArray configArg = "--config-file=" + QFile::encodeName(config);
    m_Daemon = fork();
    if (m_Daemon == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execlp("dbus-daemon", "dbus-daemon", "--nofork", configArg.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // The socket file appears when the daemon binds it, a moment before it listens: wait until it answers.
    return m_Daemon > 0 && testutil::WaitFor([&] { return Listening(); });
}

void FakeLogind::StopDaemon()
{
    if (m_Daemon <= 0)
        return;
    kill(m_Daemon, SIGTERM);
    int status = 0;
    const bool ended = testutil::WaitFor([&] { return waitpid(m_Daemon, &status, WNOHANG) == m_Daemon; });
    if (!ended) {
        kill(m_Daemon, SIGKILL);
        waitpid(m_Daemon, &status, 0);
    }
    m_Daemon = -1;
}

bool FakeLogind::Listening() const
{
    const QByteArray path = QFile::encodeName(m_Socket);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return false;
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool ok =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}

bool FakeLogind::StartService()
{
    if (!Connect() || pipe2(m_Wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_Thread = std::thread([this] { Serve(); });
    return true;
}

bool FakeLogind::Connect()
{
    const QByteArray address = Address().toUtf8();
    return sd_bus_new(&m_Bus) >= 0 && sd_bus_set_address(m_Bus, address.constData()) >= 0 &&
           sd_bus_set_bus_client(m_Bus, 1) >= 0 && sd_bus_start(m_Bus) >= 0 &&
           sd_bus_add_object_vtable(m_Bus, nullptr, MANAGER_PATH, MANAGER_INTERFACE, MANAGER_VTABLE, this) >=
               0 &&
           sd_bus_add_object_vtable(m_Bus, nullptr, SESSION_PATH, SESSION_INTERFACE, SESSION_VTABLE, this) >=
               0 &&
           sd_bus_request_name(m_Bus, SERVICE, 0) >= 0;
}

void FakeLogind::Serve()
{
    while (!m_Stop) {
        RunPosted();
        while (sd_bus_process(m_Bus, nullptr) > 0) {
        }
        pollfd fds[2] = {{sd_bus_get_fd(m_Bus), short(sd_bus_get_events(m_Bus)), 0}, {m_Wake[0], POLLIN, 0}};
        poll(fds, 2, 1000);
        char drain[64];
        while (read(m_Wake[0], drain, sizeof drain) > 0) {
        }
    }
}

void FakeLogind::Post(std::function<void(sd_bus*)> job)
{
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_Posted.push_back(std::move(job));
    }
    const char wake = 1;
    (void)!write(m_Wake[1], &wake, 1);
}

void FakeLogind::RunPosted()
{
    std::vector<std::function<void(sd_bus*)>> jobs;
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        jobs.swap(m_Posted);
    }
    for (const auto& job : jobs)
        job(m_Bus);
}

void FakeLogind::SetActive(bool active)
{
    Active = active;
    Post([](sd_bus* bus) {
        sd_bus_emit_properties_changed(bus, SESSION_PATH, SESSION_INTERFACE, "Active", nullptr);
    });
}

void FakeLogind::PrepareForShutdown(bool start)
{
    Post([start](sd_bus* bus) {
        sd_bus_emit_signal(bus, MANAGER_PATH, MANAGER_INTERFACE, "PrepareForShutdown", "b", int(start));
    });
}

void FakeLogind::PrepareForSleep(bool start)
{
    Post([start](sd_bus* bus) {
        sd_bus_emit_signal(bus, MANAGER_PATH, MANAGER_INTERFACE, "PrepareForSleep", "b", int(start));
    });
}
