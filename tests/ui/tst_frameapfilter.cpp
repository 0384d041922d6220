// The AP MAC filter page: typing addresses, the checks on Save, and the filter taking effect on the simulated
// access point.
#include "apfixture.h"
#include "app/Udefine.h"
#include "testutil.h"
#include "ui/Uformmsgbox.h"
#include "ui/pages/Uframeapfilter.h"

#include <QComboBox>
#include <QAccessible>
#include <QLineEdit>
#include <QTest>

using testutil::WaitFor;

namespace {

const uint8_t STATION_A[6] = {0x02, 0x77, 0, 0, 0, 0x0A};

class APFilterTest : public APPageTest {
protected:
    void SetUp() override
    {
        APPageTest::SetUp();
        m_Page = new TFrameAPFilter;
        Host(m_Page);
    }
    QLineEdit* Edit(int n) const { return m_Page->findChild<QLineEdit*>(QStringLiteral("Edt%1").arg(n)); }
    QComboBox* Type() const { return m_Page->findChild<QComboBox*>(QStringLiteral("CmbType")); }
    // Picks the filter mode with the keyboard, as a user does on the closed list.
    void ChooseType(int mode)
    {
        Type()->setFocus();
        while (Type()->currentIndex() > mode)
            QTest::keyClick(Type(), Qt::Key_Up);
        while (Type()->currentIndex() < mode)
            QTest::keyClick(Type(), Qt::Key_Down);
    }
    void TypeInto(int n, const char* text)
    {
        Edit(n)->setFocus();
        QTest::keyClicks(Edit(n), QLatin1String(text));
    }
    void ClearEdit(int n)
    {
        Edit(n)->selectAll();
        QTest::keyClick(Edit(n), Qt::Key_Delete);
    }
    void Save() { QTest::mouseClick(m_Page->findChild<QWidget*>("BtnSave"), Qt::LeftButton); }

    TFrameAPFilter* m_Page = nullptr;
};

} // namespace

TEST(APFilterAddress, EveryPlaceWithoutAHexDigitCountsAsZero)
{
    const struct {
        const char* shown;
        std::array<uint8_t, 6> mac;
    } cases[] = {
        {"02:77:00:00:00:0A", {0x02, 0x77, 0, 0, 0, 0x0A}},
        {"12:34:__:__:__:__", {0x12, 0x34, 0, 0, 0, 0}},
        {"__:__:__:__:__:__", {0, 0, 0, 0, 0, 0}},
        {"GZ:1X:AB:CD:EF:0g", {0x00, 0x10, 0xAB, 0xCD, 0xEF, 0x00}},
        {"ab:cd:ef:01:23:45:67", {0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45}},
        {"1", {0x10, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFrameAPFilter::EditAddress(QLatin1String(c.shown)), c.mac) << c.shown;
}

TEST_F(APFilterTest, DisabledWithoutAdapterAndEditsOnlyWithAFilterMode)
{
    EXPECT_FALSE(Type()->isEnabled());
    EXPECT_FALSE(Edit(1)->isEnabled());
    AttachSoftAP();
    EXPECT_TRUE(Type()->isEnabled());
    EXPECT_EQ(Type()->currentData().toInt(), 0);
    EXPECT_FALSE(Edit(16)->isEnabled()) << "greyed out while the filter is off";
    EXPECT_EQ(Edit(16)->text(), "00:00:00:00:00:00");
    ChooseType(2);
    for (int n = 1; n <= 16; ++n)
        EXPECT_TRUE(Edit(n)->isEnabled()) << n;
    EXPECT_EQ(m_Page->findChildren<QLineEdit*>().size(), 16) << "there is no 17th entry";
}

TEST_F(APFilterTest, EachAddressEditIsNamedWithItsNumber)
{
    // Their captions are bare numbers: a reader said "1" to "16".
    for (int n : {1, 9, 16}) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(Edit(n))->text(QAccessible::Name).toStdString(),
                  "MAC address " + std::to_string(n));
    }
}

TEST_F(APFilterTest, OnlyTheFirstEditCorrectsLettersAtOnce)
{
    AttachSoftAP();
    ChooseType(1);
    ClearEdit(1);
    ClearEdit(2);
    TypeInto(1, "1g");
    TypeInto(2, "1g");
    EXPECT_EQ(Edit(1)->displayText(), "10:__:__:__:__:__");
    EXPECT_EQ(Edit(2)->displayText(), "1G:__:__:__:__:__");
    EXPECT_EQ(Edit(1)->cursorPosition(), Edit(2)->cursorPosition()) << "the caret stays where it was";
}

TEST_F(APFilterTest, SaveStoresAppliesAndShowsTheInformationPage)
{
    AttachSoftAP();
    m_Adapter->Connect(APProfile());
    ASSERT_TRUE(WaitFor([&] { return Stations() == QStringList({"0A", "0B"}); }, 15000));
    const struct {
        int mode;
        QStringList stations;
    } cases[] = {{2, {"0B"}}, {1, {"0A"}}, {0, {"0A", "0B"}}};
    for (const auto& c : cases) {
        ChooseType(1); // the edits take keys only while a mode is chosen
        ClearEdit(3);
        TypeInto(3, "0277");
        TypeInto(3, "0000000a");
        ClearEdit(4);
        TypeInto(4, "1234");
        ChooseType(c.mode);
        m_Main.Received.clear();
        Save();
        EXPECT_TRUE(WaitFor([&] {
            return Stored([&](const WLProfile& p) {
                const uint8_t partial[6] = {0x12, 0x34, 0, 0, 0, 0};
                return p.APMacFilterMode == c.mode && memcmp(p.APMacFilter[2], STATION_A, 6) == 0 &&
                       memcmp(p.APMacFilter[3], partial, 6) == 0;
            });
        })) << c.mode;
        EXPECT_EQ(APProfile().APMacFilterMode, c.mode);
        EXPECT_TRUE(WaitFor([&] { return Stations() == c.stations; }, 15000))
            << c.mode << ": " << Stations().join(' ').toStdString();
        EXPECT_NE(std::find(m_Main.Received.begin(), m_Main.Received.end(), std::pair{10, 4}),
                  m_Main.Received.end())
            << m_Main.Received.size();
    }
}

TEST_F(APFilterTest, GroupAddressesAreRefusedBeforeAnythingIsStored)
{
    AttachSoftAP();
    const WLProfile before = APProfile();
    ChooseType(2);
    const char* groups[] = {"ffffffffffff", "01005e000001", "333300000001"};
    for (const char* group : groups) {
        ClearEdit(7);
        TypeInto(7, group);
        TFormMsgBox::SetNextAnswer(mrOk);
        const int shown = TFormMsgBox::LastShown().Count;
        Save();
        EXPECT_EQ(TFormMsgBox::LastShown().Count, shown + 1) << group;
        EXPECT_TRUE(TFormMsgBox::LastShown().Text.startsWith("Filter entry 7 ")) << group;
        EXPECT_EQ(memcmp(&APProfile(), &before, sizeof before), 0) << group;
    }
    EXPECT_TRUE(m_Main.Received.empty() || std::find(m_Main.Received.begin(), m_Main.Received.end(),
                                                     std::pair{10, 4}) == m_Main.Received.end());
}

TEST_F(APFilterTest, LeavingOrCancelDropsUnsavedEdits)
{
    AttachSoftAP();
    ChooseType(2);
    TypeInto(5, "abcdef");
    m_Page->LeavePage(nullptr, 0, 0);
    m_Page->EnterPage(nullptr, 0, 0);
    EXPECT_EQ(Edit(5)->text(), "00:00:00:00:00:00");
    EXPECT_EQ(Type()->currentData().toInt(), 0);
    ChooseType(1);
    TypeInto(5, "abcdef");
    QTest::mouseClick(m_Page->findChild<QWidget*>("BtnCancel"), Qt::LeftButton);
    EXPECT_EQ(Edit(5)->text(), "00:00:00:00:00:00");
}
