// The Site Survey page on the simulated adapter: scanning, sorting, the connected row and connecting.
#include "app/Udefine.h"
#include "simtest.h"
#include "pagefixture.h"
#include "testutil.h"
#include "ui/pages/Uframeprofset.h"
#include "ui/pages/Uframesurvey.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <controls/Sortlv.h>

using testutil::WaitFor;

namespace {

TSSiteEntry Site(const char* ssid, int mhz, int dbm, uint8_t last)
{
    TSSiteEntry e{};
    e.Length = sizeof e;
    e.SsidLength = uint32_t(strlen(ssid));
    memcpy(e.Ssid, ssid, e.SsidLength);
    e.Frequency = uint32_t(mhz);
    e.Rssi = dbm;
    e.NetworkMode = 1;
    e.NetworkType = 3;
    e.Bssid[5] = last;
    return e;
}

class SurveyTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_Page = new TFrameSurvey;
        Host(m_Page);
        m_Lv = m_Page->findChild<TSortLv*>("LvSite");
    }
    QStringList Column(int column) const
    {
        QStringList texts;
        for (int i = 0; i < m_Lv->topLevelItemCount(); ++i)
            texts << m_Lv->topLevelItem(i)->text(column);
        return texts;
    }
    // A real mouse click on the middle of the header section, as a person sorts.
    void ClickHeader(int column)
    {
        QHeaderView* header = m_Lv->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    QPushButton* Button(const char* name) const
    {
        return m_Page->findChild<QPushButton*>(QLatin1String(name));
    }
    bool Searching() const { return m_Page->findChild<QWidget*>("PlSearch")->isVisibleTo(m_Page); }
    // Rows drawn in the connected colour, by network name.
    QStringList Highlighted() const
    {
        QStringList names;
        for (int i = 0; i < m_Lv->topLevelItemCount(); ++i)
            if (m_Lv->topLevelItem(i)->background(1).color() == TFrameSurvey::ConnectedColor())
                names << m_Lv->topLevelItem(i)->text(1);
        return names;
    }
    bool SelectSite(const QString& ssid)
    {
        for (int i = 0; i < m_Lv->topLevelItemCount(); ++i)
            if (m_Lv->topLevelItem(i)->text(1) == ssid) {
                m_Lv->setCurrentItem(m_Lv->topLevelItem(i));
                return true;
            }
        return false;
    }
    // Attaches and waits for the first list, fetched from the scan the adapter starts with.
    void AttachAndList()
    {
        Attach();
        EXPECT_TRUE(Searching());
        ASSERT_TRUE(WaitFor([&] { return Button("BtnScan")->isEnabled(); }, 15000));
        ASSERT_TRUE(Column(1).contains("Open-Net") && Column(1).contains("Secure-Net")) << "scan too short";
    }

    TFrameSurvey* m_Page = nullptr;
    TSortLv* m_Lv = nullptr;
};

} // namespace

TEST_F(SurveyTest, SortsBySignalFirstThenByTheClickedColumnButNeverByTheIcons)
{
    Attach(); // the channel numbers come from the library
    m_Page->TimerSurvey.stop();
    m_Page->ShowSiteList(
        {Site("bravo", 2462, -70, 1), Site("Alpha", 2412, -40, 2), Site("charlie", 2437, -90, 3)});
    EXPECT_EQ(Column(1), QStringList({"Alpha", "bravo", "charlie"})) << "strongest first";
    EXPECT_EQ(Column(3), QStringList({"100%", "50%", "10%"}));
    EXPECT_EQ(m_Lv->currentItem(), m_Lv->topLevelItem(0));
    EXPECT_FALSE(m_Page->findChild<QLabel*>("LblTime")->text().isEmpty());

    const struct {
        int column;
        QStringList order;
    } clicks[] = {
        {1, {"charlie", "bravo", "Alpha"}}, // SSID, keeping the descending direction; letter case ignored
        {1, {"Alpha", "bravo", "charlie"}}, // again: ascending
        {0, {"Alpha", "bravo", "charlie"}}, // the icon column does not sort
        {2, {"Alpha", "charlie", "bravo"}}, // channel 1, 6, 11
        {3, {"charlie", "bravo", "Alpha"}}, // signal, ascending
    };
    for (const auto& c : clicks) {
        ClickHeader(c.column);
        EXPECT_EQ(Column(1), c.order) << "after a click on column " << c.column;
    }
    EXPECT_EQ(m_Lv->SortColunm(), 3);
    EXPECT_EQ(Column(2), QStringList({"6", "11", "1"}));
}

TEST_F(SurveyTest, IconsNameTheNetworkKind)
{
    TSSiteEntry adHoc = Site("cell", 2412, -50, 4);
    adHoc.NetworkMode = 0;
    adHoc.Security = 1;
    m_Page->ShowSiteList({adHoc});
    ASSERT_EQ(m_Lv->topLevelItemCount(), 1);
    EXPECT_EQ(m_Lv->topLevelItem(0)->icon(0).pixmap(44, 22).toImage(),
              m_Res.ImgsType.Icon(3).pixmap(44, 22).toImage());
    EXPECT_EQ(m_Page->findChild<QLabel*>("LblNetType")->text(), "Ad-Hoc");
    EXPECT_EQ(m_Page->findChild<QLabel*>("LblEncry")->text(), "WEP");
    EXPECT_TRUE(m_Lv->topLevelItem(0)->data(0, Qt::AccessibleTextRole).toString().startsWith("WEP, "))
        << "the lock is read out";
    EXPECT_EQ(m_Page->findChild<QLabel*>("LblMAC")->text(), "00:00:00:00:00:04");
}

TEST_F(SurveyTest, EnteringByTabScansButEnteringOnRequestDoesNot)
{
    AttachAndList();
    EXPECT_TRUE(m_Page->EnterPage(nullptr, 0, 1024));
    EXPECT_TRUE(Button("BtnScan")->isEnabled());
    EXPECT_FALSE(Searching());
    EXPECT_TRUE(m_Page->EnterPage(nullptr, 0, 0));
    EXPECT_FALSE(Button("BtnScan")->isEnabled());
    EXPECT_TRUE(Searching());
    EXPECT_EQ(m_Lv->topLevelItemCount(), 0);
    ASSERT_TRUE(WaitFor([&] { return Button("BtnScan")->isEnabled(); }, 15000));
    EXPECT_GE(m_Lv->topLevelItemCount(), 2);
}

TEST_F(SurveyTest, OpenNetworkConnectsAtOnceAndTheConnectedRowFollowsTheLink)
{
    AttachAndList();
    ASSERT_TRUE(SelectSite("Open-Net"));
    Button("BtnConnect")->click();
    ASSERT_TRUE(WaitFor([&] { return Highlighted() == QStringList{"Open-Net"}; }, 15000));
    EXPECT_NE(std::find(m_Main.Received.begin(), m_Main.Received.end(), std::pair{10, 1}),
              m_Main.Received.end())
        << "the main window is asked to show Link Info";
    WLProfile applied{};
    ASSERT_TRUE(m_Adapter->GetAppliedProfile(applied));
    EXPECT_STREQ(applied.ProfileName, "(EditingProfile)");
    EXPECT_STREQ(applied.NetInfo.sz_CurProfile, "(EditingProfile)");

    // A new list keeps the mark on the connected network.
    m_Page->EnterPage(nullptr, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Button("BtnScan")->isEnabled(); }, 15000));
    EXPECT_EQ(Highlighted(), QStringList{"Open-Net"});

    ASSERT_TRUE(simtest::SimCtlSucceeds("disconnect"));
    ASSERT_TRUE(WaitFor([&] { return Highlighted().isEmpty(); }, 15000));
}

TEST_F(SurveyTest, SecuredNetworkGoesToTheProfileEditor)
{
    auto* editor = new TFrameProfSet(&m_Main);
    AttachAndList();
    ASSERT_TRUE(SelectSite("Secure-Net"));
    Button("BtnConnect")->click();
    // Sent, so it has been handled when the click returns.
    ASSERT_FALSE(m_Main.Received.empty());
    EXPECT_EQ(m_Main.Received.back(), std::make_pair(11, 512));
    const WLProfile& p = editor->Profile();
    EXPECT_STREQ(p.Ssid1, "Secure-Net");
    EXPECT_EQ(p.Channel, 11);
    EXPECT_EQ(p.NetworkMode, 1);
    EXPECT_NE(p.EncryptionMethod, 0);
    EXPECT_STREQ(p.ProfileName, "(EditingProfile)");
    QCoreApplication::processEvents();
    EXPECT_EQ(std::count(m_Main.Received.begin(), m_Main.Received.end(), std::pair{10, 1}), 0);
}

TEST_F(SurveyTest, SecuredNetworkWithoutAnEditorInTheWindowIsNeitherAskedForNorConnected)
{
    AttachAndList();
    ASSERT_TRUE(SelectSite("Secure-Net"));
    Button("BtnConnect")->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(std::none_of(m_Main.Received.begin(), m_Main.Received.end(), [](const auto& r) {
        return r.first == 11 || r == std::pair{10, 1};
    }));
    EXPECT_TRUE(LogSince().contains("no profile editor"));
}

TEST_F(SurveyTest, ZeroConfigurationClearsThePageAndTakingBackScans)
{
    AttachAndList();
    m_Page->AdapterEvent(m_Adapter.get(), 4, 1);
    EXPECT_EQ(m_Lv->topLevelItemCount(), 0);
    EXPECT_FALSE(Button("BtnScan")->isEnabled());
    m_Page->EnterPage(nullptr, 0, 0);
    EXPECT_FALSE(Searching());
    m_Page->AdapterEvent(m_Adapter.get(), 4, 0);
    EXPECT_TRUE(Searching());
    ASSERT_TRUE(WaitFor([&] { return Button("BtnScan")->isEnabled(); }, 15000));
    EXPECT_GE(m_Lv->topLevelItemCount(), 2);
}
