// The AP information page on the simulated access point: its values, the renewal after applying, and the
// station list that keeps its rows across reports.
#include "apfixture.h"
#include "simtest.h"
#include "app/Udefine.h"
#include "controls/Sortlv.h"
#include "testutil.h"
#include "ui/pages/Uframeapinfo.h"
#include "ui/pages/Ulinktexts.h"

#include <QHeaderView>
#include <QLabel>
#include <QTest>

using testutil::WaitFor;

namespace {

class APInfoTest : public APPageTest {
protected:
    void SetUp() override
    {
        APPageTest::SetUp();
        m_Page = new TFrameAPInfo;
        Host(m_Page);
    }
    QString Text(const char* name) const { return m_Page->findChild<QLabel*>(QLatin1String(name))->text(); }
    TSortLv* List() const { return m_Page->findChild<TSortLv*>(QStringLiteral("LvMAC")); }
    QStringList Rows() const
    {
        QStringList rows;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            rows << List()->topLevelItem(i)->text(1);
        return rows;
    }
    void ClickRow(int row)
    {
        const QRect r = List()->visualItemRect(List()->topLevelItem(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, r.center() + QPoint(50, 0));
    }
    void ClickHeader(int column)
    {
        QHeaderView* header = List()->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    // Starts the Soft AP with the profile as Save would, and waits until the page shows it.
    void StartAP(const char* ssid)
    {
        qstrncpy(APProfile().Ssid1, ssid, sizeof APProfile().Ssid1);
        m_Adapter->Connect(APProfile());
        ASSERT_TRUE(WaitFor([&] { return Text("LblSSID") == QLatin1String(ssid); }, 15000));
    }

    TFrameAPInfo* m_Page = nullptr;
};

} // namespace

TEST(APInfoTexts, PowerLevelsOutsideZeroToThreeHaveNoText)
{
    const char* texts[] = {"Level 0(Max. Power)", "Level 1", "Level 2", "Level 3(Min. Power)", ""};
    for (uint32_t level = 0; level < 5; ++level)
        EXPECT_EQ(PowerText(level), QLatin1String(texts[level])) << level;
    EXPECT_EQ(PowerText(0xFFFFFFFF), "");
}

TEST_F(APInfoTest, ShowsTheRunningAccessPointAndKeepsItWhileDown)
{
    AttachSoftAP();
    EXPECT_TRUE(m_Page->findChild<QWidget*>("BtnRefresh")->isEnabled());
    APProfile().Channel = 11;
    APProfile().APtxPwrLevel = 2;
    StartAP("Harbor AP");
    EXPECT_EQ(Text("LblChannel"), "11");
    EXPECT_EQ(Text("LblTxRate"), "54 Mbps");
    EXPECT_EQ(Text("LblSecurity"), "Disabled");
    EXPECT_EQ(Text("LblMAC"), "02:00:00:00:00:E4");
    EXPECT_EQ(Text("LblPower"), "Level 2");
    EXPECT_EQ(Text("LblIP"), "192.168.123.1");

    // A stopped access point reports disconnected: the page keeps what it showed.
    ASSERT_TRUE(simtest::SimCtlSucceeds("disconnect"));
    ASSERT_TRUE(NextReport());
    ASSERT_TRUE(NextReport());
    EXPECT_EQ(Text("LblSSID"), "Harbor AP");
    EXPECT_EQ(Text("LblPower"), "Level 2");

    // Detaching empties everything and disables Refresh.
    m_Page->SetAdapter(nullptr, acDetach, 1);
    EXPECT_EQ(Text("LblSSID"), "");
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_FALSE(m_Page->findChild<QWidget*>("BtnRefresh")->isEnabled());
}

TEST_F(APInfoTest, StationModeIsIgnored)
{
    m_Adapter = CNICAdapter::Create(&m_Main, 0, m_Desc);
    m_Main.Adapter = m_Adapter.get();
    m_Page->SetAdapter(m_Adapter.get(), acAttach, 0);
    EXPECT_FALSE(m_Page->findChild<QWidget*>("BtnRefresh")->isEnabled());
}

TEST_F(APInfoTest, OneAddressRenewalAfterApplyingUnlessSwitchedOff)
{
    const struct {
        const char* setting;
        int renewals;
    } cases[] = {{"", 1}, {"AutoRenewIP=0\n", 0}};
    for (const auto& c : cases) {
        WriteSettings(QByteArray("[Setting]\nProfRoot=EngineTest\n") + c.setting);
        AttachSoftAP();
        const int before = RenewCount();
        StartAP(c.renewals ? "Renewing AP" : "Quiet AP");
        ASSERT_TRUE(NextReport());
        ASSERT_TRUE(NextReport());
        EXPECT_EQ(RenewCount() - before, c.renewals) << c.setting;
        m_Page->SetAdapter(nullptr, acDetach, 1);
        m_Main.Adapter = nullptr;
        DestroyAdapter();
    }
}

TEST_F(APInfoTest, StationsComeAndGoWhileTheSelectedRowStays)
{
    AttachSoftAP();
    StartAP("Station AP");
    ASSERT_TRUE(WaitFor([&] { return Rows().size() == 2; }, 15000));
    EXPECT_EQ(Rows(), QStringList({"02:77:00:00:00:0A", "02:77:00:00:00:0B"})) << "sorted by address";
    EXPECT_EQ(List()->columnWidth(0), 0) << "the first column is no empty strip before the addresses";
    ClickRow(1);
    ASSERT_EQ(List()->selectedItems().size(), 1);
    QTreeWidgetItem* selected = List()->selectedItems().front();

    // Between two reports one station leaves and another joins.
    ASSERT_TRUE(simtest::SimCtlSucceeds("station remove 02:77:00:00:00:0A"));
    ASSERT_TRUE(simtest::SimCtlSucceeds("station add 02:77:00:00:00:01"));
    ASSERT_TRUE(WaitFor(
        [&] {
            return Rows() == QStringList({"02:77:00:00:00:01", "02:77:00:00:00:0B"});
        },
        15000))
        << Rows().join(' ').toStdString();
    ASSERT_EQ(List()->selectedItems().size(), 1);
    EXPECT_EQ(List()->selectedItems().front(), selected) << "the row itself was kept";

    // A real click on the address header turns the order round; the selection stays.
    ClickHeader(1);
    EXPECT_EQ(Rows(), QStringList({"02:77:00:00:00:0B", "02:77:00:00:00:01"}));
    ASSERT_TRUE(NextReport());
    EXPECT_EQ(Rows(), QStringList({"02:77:00:00:00:0B", "02:77:00:00:00:01"}));
    EXPECT_EQ(List()->selectedItems().value(0), selected);

    // Refresh empties the list; the next report fills it again.
    QTest::mouseClick(m_Page->findChild<QWidget*>("BtnRefresh"), Qt::LeftButton);
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    ASSERT_TRUE(WaitFor([&] { return Rows().size() == 2; }, 15000));
}

TEST_F(APInfoTest, ApplyingAnotherSoftAPProfileEmptiesThePageFirst)
{
    AttachSoftAP();
    StartAP("First AP");
    ASSERT_TRUE(WaitFor([&] { return Rows().size() == 2; }, 15000));
    m_Adapter->Connect(APProfile());
    ASSERT_TRUE(WaitFor([&] { return Text("LblSSID").isEmpty() && Rows().isEmpty(); }, 15000));
    EXPECT_EQ(Text("LblChannel"), "");
    ASSERT_TRUE(WaitFor([&] { return Text("LblSSID") == "First AP"; }, 15000));
}
