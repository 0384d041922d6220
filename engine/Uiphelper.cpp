#include "Uiphelper.h"
#include "app/Udebug.h"

#include <QNetworkInterface>
#include <QProcess>
#include <mutex>

namespace {

constexpr int DHCP_CLIENT_TIMEOUT_MS = 60000;

class CSystemIpHelper : public IIpHelper {
public:
    QString FindInterface(const QString& wantedLower) override
    {
        for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces())
            if (nic.humanReadableName().toLower().contains(wantedLower) ||
                nic.name().toLower().contains(wantedLower))
                return nic.name();
        return QString();
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
