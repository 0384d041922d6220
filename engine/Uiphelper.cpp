#include "Uiphelper.h"
#include "app/Udebug.h"

#include <QProcess>
#include <mutex>
#include <net/if.h>

namespace {

constexpr int DHCP_CLIENT_TIMEOUT_MS = 60000;

class CSystemIpHelper : public IIpHelper {
public:
    QString FindInterface(const QString& wantedLower) override
    {
        // An interface's name is all the description the system gives it.
        struct if_nameindex* const nics = if_nameindex();
        QString found;
        for (const struct if_nameindex* nic = nics; nic && nic->if_index != 0 && found.isEmpty(); ++nic)
            if (const QString name = QString::fromLocal8Bit(nic->if_name);
                name.toLower().contains(wantedLower))
                found = name;
        if (nics)
            if_freenameindex(nics);
        return found;
    }
    bool Release(const QString& interfaceName) override { return RunDhcpClient({"-r", interfaceName}); }
    bool Renew(const QString& interfaceName) override { return RunDhcpClient({interfaceName}); }

private:
    static bool RunDhcpClient(const QStringList& arguments)
    {
        QProcess client;
        client.start(QStringLiteral("dhclient"), arguments);
        if (!client.waitForFinished(DHCP_CLIENT_TIMEOUT_MS)) {
            DebugPrint("dhclient %s: %s", qUtf8Printable(arguments.join(' ')),
                       qUtf8Printable(client.errorString()));
            return false;
        }
        return client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
    }
};

std::mutex g_HelperMutex;
std::shared_ptr<IIpHelper> g_Helper;

} // namespace

std::shared_ptr<IIpHelper> IpHelper()
{
    std::lock_guard lock(g_HelperMutex);
    if (!g_Helper)
        g_Helper = std::make_shared<CSystemIpHelper>();
    return g_Helper;
}

void SetIpHelper(std::shared_ptr<IIpHelper> helper)
{
    std::lock_guard lock(g_HelperMutex);
    g_Helper = std::move(helper);
}
