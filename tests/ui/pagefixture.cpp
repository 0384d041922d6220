#include "pagefixture.h"
#include "app/Unotifyevent.h"
#include "testutil.h"
#include "ui/Propertypageframeunit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace {

const char HWID[] = "USB\\VID_F5E1&PID_0302";

const char SCENARIO[] = R"([Adapter]
HardwareId=USB\VID_F5E1&PID_0302
Description=Page Test Adapter
MAC=02:00:00:00:00:E3
Domain=FCC
Modes=abg
SoftAP=0
ZeroConfigService=0
ScanTime=200
ConnectTime=300

[Network.Open]
SSID=Open-Net
BSSID=00:11:22:00:01:01
Band=g
Channel=3
Security=0
Signal=-52
Drift=0
Subnet=10.0.9

[Network.Secure]
SSID=Secure-Net
BSSID=00:11:22:00:01:02
Band=g
Channel=11
Security=123
PassPhrase=correct-horse-battery
Signal=-66
Drift=0
Subnet=10.0.10
)";

const char PASS_PHRASE[] = "correct-horse-battery";

} // namespace

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& texts, std::ostream* os)
{
    *os << '{' << texts.join(QStringLiteral(", ")).toStdString() << '}';
}

void ChooseByKeys(QComboBox* combo, int value)
{
    ASSERT_NE(combo, nullptr);
    const int index = combo->findData(value);
    ASSERT_GE(index, 0) << combo->objectName().toStdString() << " has no " << value;
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(combo->currentIndex(), index);
}

void TypeText(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    for (QChar c : text) {
        // The test library maps only ASCII to keys; other characters arrive as a keyboard layout sends them.
        if (c.unicode() < 0x80)
            QTest::keyClick(edit, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QCoreApplication::processEvents();
}

bool MainStub::event(QEvent* e)
{
    if (e->type() != QEvent::Type(NotifyMsg()))
        return QWidget::event(e);
    auto* notify = static_cast<TNotifyEvent*>(e);
    Received.emplace_back(notify->Code, notify->Value);
    if (Answer)
        notify->Result = Answer(notify->Code, notify->Value);
    const int code = notify->Code;
    if (Page && Adapter &&
        (code == NM_STATUS || code == NM_ZEROCFG || code == NM_APPLYING || code == NM_CONNECT_FAILED))
        Page->AdapterEvent(Adapter, code, notify->Value);
    return true;
}

void PageTest::UseLibrary()
{
    UseSimulator(SCENARIO, HWID);
}

void PageTest::SetUp()
{
    AdapterTest::SetUp();
    FormRes = &m_Res;
}

void PageTest::TearDown()
{
    if (m_Main.Page)
        m_Main.Page->SetAdapter(nullptr, 2, 0);
    m_Main.Adapter = nullptr;
    AdapterTest::TearDown();
    FormRes = nullptr;
}

void PageTest::Host(TPropertyPageFrame* page)
{
    page->setParent(&m_Main);
    m_Main.Page = page;
    m_Main.resize(page->size());
    page->InitPage();
    m_Main.show();
    page->show();
}

CNICAdapter& PageTest::Attach()
{
    m_Adapter = CNICAdapter::Create(&m_Main, 0, m_Desc);
    m_Main.Adapter = m_Adapter.get();
    if (m_Main.Page)
        m_Main.Page->SetAdapter(m_Adapter.get(), 1, 0);
    return *m_Adapter;
}

bool PageTest::FindSite(const char* ssid, TSSiteEntry& found)
{
    TSiteList list;
    m_Adapter->GetSiteList(list);
    for (const TSSiteEntry& e : list)
        if (std::string(reinterpret_cast<const char*>(e.Ssid), e.SsidLength) == ssid) {
            found = e;
            return true;
        }
    return false;
}

void PageTest::ConnectTo(const char* ssid, const char* profileName)
{
    TSSiteEntry site{};
    ASSERT_TRUE(testutil::WaitFor([&] { return FindSite(ssid, site); }));
    WLProfile profile{};
    m_Adapter->SiteToProfile(site, profile);
    qstrncpy(profile.ProfileName, profileName, sizeof profile.ProfileName);
    qstrncpy(profile.WPAPassphrase, PASS_PHRASE, sizeof profile.WPAPassphrase);
    m_Adapter->Connect(profile);
}

bool PageTest::Connected()
{
    WLANStatus s{};
    m_Adapter->GetStatus(s);
    return s.MediaState == 0;
}

bool PageTest::NextReport()
{
    const auto reports = [this] {
        return std::count(m_Main.Received.begin(), m_Main.Received.end(), std::pair{3, 0});
    };
    const auto before = reports();
    return testutil::WaitFor([&] { return reports() > before; }, 15000);
}

int PageTest::RenewCount() const
{
    return testutil::CountLogged(LogSince(), QStringLiteral("IPConfig 0x3"));
}
