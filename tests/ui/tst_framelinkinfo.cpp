// The Link Info page on the simulated adapter: lamps, rates, the profile shown and the renewal after
// connecting.
#include "simtest.h"
#include "accessiblespy.h"
#include "pagefixture.h"
#include "testutil.h"
#include "controls/Levelrow.h"
#include "ui/pages/Uframelinkinfo.h"
#include "ui/pages/Ulinktexts.h"

#include <QAccessible>
#include <QLabel>
#include <memory>

using testutil::WaitFor;

namespace {

class LinkInfoTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_Page = new TFrameLinkInfo;
        Host(m_Page);
    }
    QString Text(const char* name) const { return m_Page->findChild<QLabel*>(QLatin1String(name))->text(); }
    int LitLamps(int x) const
    {
        int lit = 0;
        for (int i = 0; i < 10; ++i)
            lit +=
                !m_Page->findChild<QLabel*>(QStringLiteral("ImgLamp%1_%2").arg(x).arg(i))->pixmap().isNull();
        return lit;
    }

    TFrameLinkInfo* m_Page = nullptr;
};

} // namespace

TEST(LinkInfoLamps, PercentRuleLightsAtLeastOneLampForAnySignal)
{
    const struct {
        int dbm;
        int lamps;
    } cases[] = {{0, 0}, {-95, 0}, {-120, 0}, {-94, 1}, {-90, 1}, {-89, 2}, {-50, 9}, {-46, 10}, {-20, 10}};
    for (const auto& c : cases)
        EXPECT_EQ(TFrameLinkInfo::LampCount(c.dbm), c.lamps) << c.dbm << " dBm";
}

TEST(LinkInfoRates, HalfMegabitRateBytes)
{
    EXPECT_EQ(TxRateText(11), QStringLiteral("5.5 Mbps"));
    EXPECT_EQ(TxRateText(108), QStringLiteral("54 Mbps"));
    EXPECT_EQ(TxRateText(1), QStringLiteral("0.5 Mbps"));
    EXPECT_EQ(TxRateText(0), QStringLiteral("0 Mbps"));
}

// A real adapter's 802.11n link was shown as 802.11g: the generations past a/b/g have texts of their own, and
// an unknown code leaves the label as it was.
TEST(LinkInfoModes, EveryGenerationHasItsText)
{
    const struct {
        uint32_t mode;
        const char* text;
    } cases[] = {{1, "802.11b"},  {2, "802.11a"},  {3, "802.11g"}, {4, "802.11n"},
                 {5, "802.11ac"}, {6, "802.11ax"}, {0, ""},        {7, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(DotModeText(c.mode), QString::fromLatin1(c.text)) << c.mode;
}

TEST_F(LinkInfoTest, WithoutAdapterEverythingIsEmptyAndTheChartButtonDisabled)
{
    EXPECT_EQ(Text("LblSSID"), "");
    EXPECT_EQ(LitLamps(125) + LitLamps(393), 0);
    EXPECT_FALSE(m_Page->findChild<QWidget*>("BtnTChart")->isEnabled());
    Attach();
    EXPECT_TRUE(m_Page->findChild<QWidget*>("BtnTChart")->isEnabled());
}

TEST_F(LinkInfoTest, ConnectingShowsTheLinkAndRatesFromTheSecondReport)
{
    Attach();
    ConnectTo("Open-Net", "Office");
    ASSERT_TRUE(WaitFor([&] { return Text("LblSSID") == "Open-Net"; }, 15000));
    // The first connected report only takes the counters.
    EXPECT_EQ(Text("LblTransRate"), "");
    EXPECT_EQ(Text("LblRecvReate"), "");
    EXPECT_EQ(Text("LblProfName"), "Office");
    EXPECT_EQ(Text("LblMAC"), "00:11:22:00:01:01");
    EXPECT_EQ(Text("LblChannel"), "3");
    EXPECT_EQ(Text("LblNetType"), "Infrastructure");
    EXPECT_EQ(Text("LblNetMode"), "802.11g");
    EXPECT_EQ(Text("LblSecurity"), "Disabled");
    EXPECT_TRUE(Text("LblIP").startsWith("10.0.9.")) << Text("LblIP").toStdString();
    EXPECT_TRUE(Text("LblTxRate").endsWith(" Mbps"));
    WLANStatus s{};
    m_Adapter->GetStatus(s);
    EXPECT_EQ(LitLamps(125), TFrameLinkInfo::LampCount(s.Rssi));
    EXPECT_GT(LitLamps(125), 0);
    EXPECT_EQ(LitLamps(393), TFrameLinkInfo::LampCount(s.LinkQuality));

    ASSERT_TRUE(NextReport());
    EXPECT_TRUE(Text("LblTransRate").endsWith(" Kbps")) << Text("LblTransRate").toStdString();
    EXPECT_TRUE(Text("LblRecvReate").endsWith(" Kbps"));

    // A dropped link empties the page and starts the rate sample again.
    ASSERT_TRUE(simtest::SimCtlSucceeds("disconnect"));
    ASSERT_TRUE(WaitFor([&] { return Text("LblSSID").isEmpty(); }, 15000));
    EXPECT_EQ(LitLamps(125) + LitLamps(393), 0);
}

TEST_F(LinkInfoTest, TheEditorsTemporaryProfileShowsNoName)
{
    const struct {
        const char* name;
        const char* shown;
    } cases[] = {{"Home", "Home"}, {"(EditingProfile)", ""}};
    Attach();
    for (const auto& c : cases) {
        ConnectTo("Secure-Net", c.name);
        // Applying empties the page first, so the name shown belongs to this connection.
        ASSERT_TRUE(
            WaitFor([&] { return Text("LblSSID") == "Secure-Net" && Text("LblProfName") == c.shown; }, 15000))
            << c.name;
        EXPECT_EQ(Text("LblSecurity"), "WPA2-PSK");
        EXPECT_EQ(Text("LblAuthen"), "None");
    }
}

TEST_F(LinkInfoTest, OneAddressRenewalAfterTheConnectionComesUp)
{
    const struct {
        const char* setting;
        int renewals;
    } cases[] = {{"", 1}, {"AutoRenewIP=0\n", 0}};
    for (const auto& c : cases) {
        WriteSettings(QByteArray("[Setting]\nProfRoot=EngineTest\n") + c.setting);
        Attach();
        const int before = RenewCount();
        ConnectTo("Open-Net", "Office");
        ASSERT_TRUE(WaitFor([&] { return Text("LblSSID") == "Open-Net"; }, 15000));
        ASSERT_TRUE(NextReport());
        ASSERT_TRUE(NextReport());
        EXPECT_EQ(RenewCount() - before, c.renewals) << c.setting;
        m_Page->SetAdapter(nullptr, 2, 0);
        m_Main.Adapter = nullptr;
        DestroyAdapter();
    }
}

TEST_F(LinkInfoTest, HiddenInTheTrayThePageFollowsTheConnectAndShowsTheLinkWhenOpened)
{
    Attach();
    m_Main.hide();
    const int before = RenewCount();
    ConnectTo("Open-Net", "Office");
    ASSERT_TRUE(WaitFor([&] { return Connected(); }, 15000));
    ASSERT_TRUE(NextReport());
    ASSERT_TRUE(NextReport());
    EXPECT_EQ(RenewCount() - before, 1) << "the connect is finished while nothing is shown";
    EXPECT_EQ(Text("LblSSID"), "") << "nothing is drawn while hidden";

    // Opened again, the page shows the link at once, not only with the next report.
    m_Main.show();
    EXPECT_EQ(Text("LblSSID"), "Open-Net");
    EXPECT_EQ(Text("LblProfName"), "Office");
    EXPECT_GT(LitLamps(125), 0);
}

// The reason used to appear in a label nobody had the focus on: a screen reader said nothing.
TEST_F(LinkInfoTest, ARefusedConnectIsAnnouncedAsAnAlertThatHoldsTheReason)
{
    Attach();
    auto* line = m_Page->findChild<QLabel*>("LblConnectError");
    auto spy = std::make_unique<CAccessibleSpy>();
    TSSiteEntry site{};
    ASSERT_TRUE(WaitFor([&] { return FindSite("Secure-Net", site); }));
    WLProfile profile{};
    m_Adapter->SiteToProfile(site, profile);
    qstrncpy(profile.ProfileName, "Wrong", sizeof profile.ProfileName);
    qstrncpy(profile.WPAPassphrase, "not-the-pass-phrase", sizeof profile.WPAPassphrase);
    m_Adapter->Connect(profile);
    const bool failed = WaitFor([&] { return !line->text().isEmpty(); }, 15000);
    ASSERT_TRUE(failed);
    const auto alerts = spy->Events(line, QAccessible::Alert);
    ASSERT_EQ(alerts.size(), 1u) << "alerts among " << spy->Count() << " updates";
    EXPECT_EQ(alerts.front().Name, line->text());
    EXPECT_EQ(alerts.front().Description, line->text());
    spy.reset();
    EXPECT_TRUE(line->text().contains("Secure-Net")) << line->text().toStdString();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(line);
    EXPECT_EQ(a->role(), QAccessible::AlertMessage);
    EXPECT_EQ(a->text(QAccessible::Description), line->text());

    // The longest reason, in German with a network name of 32 characters, is shown whole above the lamps.
    const QString longest = QStringLiteral("Verbindung zu Netzwerkname-mit-32-Zeichen-abcdef nicht möglich: "
                                           "das Netzwerk verwendet einen anderen "
                                           "Sicherheitstyp oder eine andere Verschlüsselung");
    const QString reason = line->text();
    line->setText(longest);
    EXPECT_LE(line->heightForWidth(line->width()), line->height());
    for (const QWidget* lamps : m_Page->findChildren<TLevelRow*>())
        EXPECT_LT(line->geometry().bottom(), lamps->geometry().top());
    line->setText(reason);

    // The next connect clears the line, which is a plain label again.
    ConnectTo("Open-Net", "Office");
    ASSERT_TRUE(WaitFor([&] { return Text("LblSSID") == "Open-Net"; }, 15000));
    EXPECT_TRUE(line->text().isEmpty());
    EXPECT_NE(a->role(), QAccessible::AlertMessage);
}
