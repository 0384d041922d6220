#include "apfixture.h"
#include "app/Unotifycode.h"
#include "testutil.h"
#include "ui/Propertypageframeunit.h"
#include "ui/pages/Usoftapprofile.h"

#include <QProcess>

namespace {

const char HWID[] = "USB\\VID_F5E1&PID_0303";

const char SCENARIO[] = R"([Adapter]
HardwareId=USB\VID_F5E1&PID_0303
Description=Soft AP Test Adapter
MAC=02:00:00:00:00:E4
Domain=FCC
Modes=abg
SoftAP=1
ZeroConfigService=0
ScanTime=200
ConnectTime=300

[Network.Open]
SSID=Open-Net
BSSID=00:11:22:00:02:01
Band=g
Channel=3
Security=0

[SoftAP]
Stations=02:77:00:00:00:0B@0, 02:77:00:00:00:0A@0, 02:77:00:00:00:0C@3600
)";

} // namespace

void APPageTest::UseLibrary()
{
    UseSimulator(SCENARIO, HWID);
}

CNICAdapter& APPageTest::AttachSoftAP()
{
    m_Adapter = CNICAdapter::Create(&m_Main, 0, m_Desc);
    m_Main.Adapter = m_Adapter.get();
    if (m_Main.Page) {
        m_Main.Page->AdapterEvent(m_Adapter.get(), NM_ATTACHED, 0);
        m_Main.Page->SetAdapter(m_Adapter.get(), acAttach, 1);
    }
    return *m_Adapter;
}

WLProfile& APPageTest::APProfile()
{
    return CSoftAPProfile::InWindowOf(m_Main.Page).Profile();
}

QString APPageTest::SimStatus()
{
    QProcess p;
    p.start(testutil::BinDir() + QStringLiteral("/tsrwl-simctl"), {QStringLiteral("status")});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool APPageTest::APRunning(const char* ssid)
{
    return SimStatus().contains(QStringLiteral("soft AP \"%1\"").arg(QLatin1String(ssid)));
}

QStringList APPageTest::Stations()
{
    TStationList list;
    m_Adapter->GetStationList(list);
    QStringList macs;
    for (const TMacAddress& mac : list)
        macs << QString::asprintf("%02X", mac[5]);
    macs.sort();
    return macs;
}

bool APPageTest::Stored(const std::function<bool(const WLProfile&)>& check)
{
    TProfileList list;
    m_Adapter->GetProfileList(PROF_SOFTAP, list);
    return !list.empty() && check(*list.front());
}
