// The AP configuration page: modes and channels from the adapter, and Save's checks and stored values.
#include "apfixture.h"
#include "app/Udefine.h"
#include "testutil.h"
#include "ui/Uformmsgbox.h"
#include "ui/pages/Uframeapcfg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

namespace {

class APCfgTest : public APPageTest {
protected:
    void SetUp() override
    {
        APPageTest::SetUp();
        m_Page = new TFrameAPCfg;
        Host(m_Page);
    }
    QComboBox* Combo(const char* name) const { return m_Page->findChild<QComboBox*>(QLatin1String(name)); }
    QLineEdit* Edit(const char* name) const { return m_Page->findChild<QLineEdit*>(QLatin1String(name)); }
    void Save() { QTest::mouseClick(m_Page->findChild<QWidget*>("BtnSave"), Qt::LeftButton); }

    TFrameAPCfg* m_Page = nullptr;
};

} // namespace

TEST_F(APCfgTest, TheCombinedModeComesFirstWithItsChannels)
{
    AttachSoftAP();
    QComboBox* modes = Combo("CmbMode");
    ASSERT_EQ(modes->count(), 4);
    EXPECT_EQ(modes->itemText(0), "802.11b + 802.11g");
    EXPECT_EQ(modes->itemData(0).toInt(), 11);
    EXPECT_EQ(modes->itemData(3).toInt(), 2);
    EXPECT_EQ(modes->currentData().toInt(), 11);
    // Without a "SoftAPChBG" setting the library's g-band list serves: channels 1 to 11 in this domain.
    EXPECT_EQ(Combo("CmbCh")->count(), 11);
    EXPECT_EQ(Combo("CmbCh")->currentData().toInt(), 6);
}

TEST_F(APCfgTest, SaveChecksTheSsidFirstAndStoresNoneHiddenAndAShortenedName)
{
    AttachSoftAP();
    qstrncpy(g_Var.SoftAPProfile.WEPKey2, "ABCDEF0123", sizeof g_Var.SoftAPProfile.WEPKey2);
    Edit("EdtSSID")->clear();
    TFormMsgBox::SetNextAnswer(mrOk);
    const int shown = TFormMsgBox::LastShown().Count;
    Save();
    EXPECT_EQ(TFormMsgBox::LastShown().Count, shown + 1);
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "You should enter a SSID name.");
    EXPECT_STREQ(g_Var.SoftAPProfile.WEPKey2, "ABCDEF0123") << "nothing written before the checks pass";

    // 31 ASCII bytes and a two-byte letter do not fit 32 bytes: the letter is dropped whole.
    Edit("EdtSSID")->setFocus();
    QTest::keyClicks(Edit("EdtSSID"), QString(31, QLatin1Char('a')));
    QKeyEvent accent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
    QApplication::sendEvent(Edit("EdtSSID"), &accent);
    ASSERT_EQ(Edit("EdtSSID")->text().size(), 32);
    auto* hide = m_Page->findChild<QCheckBox*>("ChkHide");
    QTest::mouseClick(hide, Qt::LeftButton, {}, QPoint(8, hide->height() / 2));
    Save();
    const WLProfile& p = g_Var.SoftAPProfile;
    EXPECT_EQ(QByteArray(p.Ssid1), QByteArray(31, 'a'));
    EXPECT_EQ(p.ApSSIDHide, 1);
    EXPECT_EQ(p.EncryptionMethod, 0);
    EXPECT_STREQ(p.WEPKey2, "") << "None empties every key";
    EXPECT_TRUE(testutil::WaitFor([&] { return APRunning(std::string(31, 'a').c_str()); }, 15000));
}
