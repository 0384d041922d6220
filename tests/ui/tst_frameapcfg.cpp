// The AP configuration page: modes and channels from the adapter, Save's checks and stored values, and the
// access point they start on the simulated adapter.
#include "apfixture.h"
#include "failingstore.h"
#include "simtest.h"
#include "app/Udefine.h"
#include "app/Unotifycode.h"
#include "testutil.h"
#include "ui/Uformmsgbox.h"
#include "ui/pages/Uframeapcfg.h"
#include "ui/pages/Uframeapfilter.h"
#include "ui/pages/Usoftapprofile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <cstring>

using testutil::WaitFor;

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
    void Cancel() { QTest::mouseClick(m_Page->findChild<QWidget*>("BtnCancel"), Qt::LeftButton); }
    void Choose(const char* combo, int value) { ChooseByKeys(Combo(combo), value); }
    void Type(const char* edit, const QString& text) { TypeText(Edit(edit), text); }
    QList<int> Channels() const
    {
        QList<int> channels;
        for (int i = 0; i < Combo("CmbCh")->count(); ++i)
            channels << Combo("CmbCh")->itemData(i).toInt();
        return channels;
    }
    bool ShowsPage(int page) const
    {
        const auto& got = m_Main.Received;
        return std::find(got.begin(), got.end(), std::pair{10, page}) != got.end();
    }
    // Sets up a WEP access point through the page: SSID, level, transmit key and its key.
    void SaveWEP(const char* ssid, int level, int transmit, const char* key)
    {
        Type("EdtSSID", QLatin1String(ssid));
        Choose("CmbWEP", level);
        Choose("CmbDefKey", transmit);
        Type(qPrintable(QStringLiteral("EdtKey%1").arg(transmit + 1)), QLatin1String(key));
        Save();
    }

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
    qstrncpy(APProfile().WEPKey2, "ABCDEF0123", sizeof APProfile().WEPKey2);
    Edit("EdtSSID")->clear();
    TFormMsgBox::SetNextAnswer(mrOk);
    const int shown = TFormMsgBox::LastShown().Count;
    Save();
    EXPECT_EQ(TFormMsgBox::LastShown().Count, shown + 1);
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "You should enter a SSID name.");
    EXPECT_STREQ(APProfile().WEPKey2, "ABCDEF0123") << "nothing written before the checks pass";

    // 31 ASCII bytes and a two-byte letter do not fit 32 bytes: the letter is dropped whole.
    Edit("EdtSSID")->setFocus();
    QTest::keyClicks(Edit("EdtSSID"), QString(31, QLatin1Char('a')));
    QKeyEvent accent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
    QApplication::sendEvent(Edit("EdtSSID"), &accent);
    ASSERT_EQ(Edit("EdtSSID")->text().size(), 32);
    auto* hide = m_Page->findChild<QCheckBox*>("ChkHide");
    QTest::mouseClick(hide, Qt::LeftButton, {}, QPoint(8, hide->height() / 2));
    Save();
    const WLProfile& p = APProfile();
    EXPECT_EQ(QByteArray(p.Ssid1), QByteArray(31, 'a'));
    EXPECT_EQ(p.ApSSIDHide, 1);
    EXPECT_EQ(p.EncryptionMethod, 0);
    EXPECT_STREQ(p.WEPKey2, "") << "None empties every key";
    EXPECT_TRUE(testutil::WaitFor([&] { return APRunning(std::string(31, 'a').c_str()); }, 15000));
    EXPECT_TRUE(SimStatus().contains("soft AP    hidden SSID")) << SimStatus().toStdString();
}

TEST_F(APCfgTest, ChannelsComeFromEachModesSettingOrTheLibrary)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\nSoftAPChBG=1,6,11\nSoftAPChG=0,2,3\n");
    AttachSoftAP();
    const struct {
        int mode;
        QList<int> channels;
        int selected; // the stored channel 6, else the adapter's default, else the first
    } cases[] = {
        {11, {1, 6, 11}, 6},
        {3, {0, 2, 3}, 0},
        {1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 6},
    };
    for (const auto& c : cases) {
        Choose("CmbMode", c.mode);
        EXPECT_TRUE(WaitFor([&] { return Channels() == c.channels; })) << c.mode;
        EXPECT_EQ(Combo("CmbCh")->currentData().toInt(), c.selected) << c.mode;
    }
    EXPECT_EQ(Combo("CmbCh")->itemText(0), "1");
    Choose("CmbMode", 3);
    ASSERT_TRUE(WaitFor([&] { return Channels().size() == 3; }));
    EXPECT_EQ(Combo("CmbCh")->itemText(0), "Auto");
}

TEST_F(APCfgTest, ARefusedKeyShowsWhyAndWritesNothing)
{
    testutil::WriteFile(m_Dir.filePath(QStringLiteral("wlanutil.ini")),
                        "[Message]\nErWEP64=length of a 64-bit key\nErHex64=digits of a 64-bit key\n"
                        "ErWEP128=length of a 128-bit key\n");
    WriteSettings("[Setting]\nProfRoot=EngineTest\n");
    AttachSoftAP();
    const WLProfile before = APProfile();
    const struct {
        int level;
        int transmit;
        const char* key;
        const char* message;
    } cases[] = {
        {1, 0, "012345678", "length of a 64-bit key"},
        {1, 3, "012345678G", "digits of a 64-bit key"},
        {2, 1, "", "length of a 128-bit key"},
    };
    for (const auto& c : cases) {
        const int shown = TFormMsgBox::LastShown().Count;
        TFormMsgBox::SetNextAnswer(mrOk);
        SaveWEP("Not-Saved", c.level, c.transmit, c.key);
        EXPECT_EQ(TFormMsgBox::LastShown().Count, shown + 1) << c.key;
        EXPECT_EQ(TFormMsgBox::LastShown().Text, QLatin1String(c.message)) << c.key;
        EXPECT_EQ(std::memcmp(&APProfile(), &before, sizeof before), 0) << c.key;
        EXPECT_FALSE(ShowsPage(4)) << c.key;
    }
    EXPECT_FALSE(Stored([](const WLProfile& p) { return QByteArray(p.Ssid1) == "Not-Saved"; }));
}

TEST_F(APCfgTest, NoneEmptiesEveryKeyAndTheAccessPointRunsOpen)
{
    AttachSoftAP();
    WLProfile& p = APProfile();
    p.EncryptionMethod = 1;
    p.WEPEncryptionLevel = 1;
    p.DefaultKey = 2;
    p.AuthenticationMode = 1;
    qstrncpy(p.PassPhrase, "badpw", sizeof p.PassPhrase);
    for (char* key : {p.WEPKey1, p.WEPKey2, p.WEPKey3, p.WEPKey4})
        qstrncpy(key, "A1B2C3D4E5", sizeof p.WEPKey1);
    Cancel();
    ASSERT_EQ(Combo("CmbWEP")->currentData().toInt(), 1);
    EXPECT_EQ(Edit("EdtKey3")->echoMode(), QLineEdit::Password) << "stored keys are never shown";
    auto* show = m_Page->findChild<QCheckBox*>("ChkShowChars");
    show->setFocus();
    QTest::keyClick(show, Qt::Key_Space);
    ASSERT_TRUE(show->isChecked());
    EXPECT_EQ(Edit("EdtKey3")->displayText(), QString(10, u'*')) << "not even with the switch on";
    Choose("CmbWEP", 0);
    EXPECT_FALSE(Edit("EdtPhrase")->isEnabled());
    EXPECT_FALSE(Combo("CmbDefKey")->isEnabled());
    EXPECT_FALSE(Edit("EdtKey3")->isEnabled());
    Type("EdtSSID", QStringLiteral("Open-AP"));
    Save();
    const auto open = [](const WLProfile& s) {
        return s.EncryptionMethod == 0 && s.WEPEncryptionLevel == 0 && s.DefaultKey == 0 &&
               s.WEPKeyFormat == 1 && !*s.WEPKey1 && !*s.WEPKey2 && !*s.WEPKey3 && !*s.WEPKey4 &&
               !*s.PassPhrase;
    };
    EXPECT_TRUE(open(p));
    EXPECT_TRUE(WaitFor([&] { return Stored(open); }));
    EXPECT_TRUE(WaitFor([&] { return SimStatus().contains("\"Open-AP\""); }, 15000));
    EXPECT_TRUE(SimStatus().contains("no encryption")) << SimStatus().toStdString();
}

TEST_F(APCfgTest, LeavingThePageOrCancelDropsUnsavedEdits)
{
    AttachSoftAP();
    const WLProfile before = APProfile();
    const QString ssid = Edit("EdtSSID")->text();
    auto* hide = m_Page->findChild<QCheckBox*>("ChkHide");
    auto* show = m_Page->findChild<QCheckBox*>("ChkShowChars");
    const std::function<void()> drops[] = {
        [&] {
            m_Page->LeavePage(nullptr, pmSwitchTab, 0);
            m_Page->EnterPage(nullptr, pmSwitchTab, 0);
        },
        [&] { Cancel(); },
    };
    for (const auto& drop : drops) {
        Type("EdtSSID", QStringLiteral("Unsaved"));
        QTest::mouseClick(hide, Qt::LeftButton, {}, QPoint(8, hide->height() / 2));
        Choose("CmbMode", 1);
        Choose("CmbWEP", 1);
        Type("EdtKey1", QStringLiteral("abcde"));
        QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(8, show->height() / 2));
        EXPECT_EQ(Edit("EdtKey1")->displayText(), "abcde") << "what was typed shows on request";
        drop();
        EXPECT_FALSE(show->isChecked());
        EXPECT_EQ(Edit("EdtSSID")->text(), ssid);
        EXPECT_FALSE(hide->isChecked());
        EXPECT_EQ(Combo("CmbMode")->currentData().toInt(), 11);
        EXPECT_EQ(Combo("CmbWEP")->currentData().toInt(), 0);
        EXPECT_EQ(Edit("EdtKey1")->text(), "");
        EXPECT_EQ(std::memcmp(&APProfile(), &before, sizeof before), 0);
    }
}

TEST_F(APCfgTest, EditingAnyKeyByHandDropsThePassPhrase)
{
    AttachSoftAP();
    Choose("CmbWEP", 1);
    Type("EdtPhrase", QStringLiteral("badpw"));
    ASSERT_EQ(Edit("EdtKey1")->text(), "02CB778981") << "the library's keys of the phrase";
    Choose("CmbDefKey", 2);
    EXPECT_EQ(m_Page->findChild<QLabel*>("LbKey")->text(), "Key 3");
    QTest::keyClick(Edit("EdtKey3"), Qt::Key_Backspace);
    EXPECT_EQ(Edit("EdtPhrase")->text(), "") << "key 3 is tied to the phrase as well";
    EXPECT_EQ(Edit("EdtKey1")->text(), "02CB778981");
}

TEST_F(APCfgTest, AWEPAccessPointAdmitsOnlyStationsWithItsKey)
{
    AttachSoftAP();
    ASSERT_TRUE(simtest::SimCtlSucceeds("station add 02:77:00:00:00:21 --key A1B2C3D4E5"));
    ASSERT_TRUE(simtest::SimCtlSucceeds("station add 02:77:00:00:00:22 --key Kx7#q"));
    const struct {
        int transmit;
        const char* key;
        QStringList admitted; // the scenario's own stations carry no key
        const char* shown;
    } cases[] = {
        {0, "a1b2c3d4e5", {"21"}, "WEP 64 bit, transmit key 1, open system"},
        {1, "Kx7#q", {"22"}, "WEP 64 bit, transmit key 2, open system"},
    };
    for (const auto& c : cases) {
        SaveWEP("WEP-AP", 1, c.transmit, c.key);
        EXPECT_TRUE(WaitFor([&] { return SimStatus().contains(QLatin1String(c.shown)); }, 15000))
            << SimStatus().toStdString();
        EXPECT_TRUE(WaitFor([&] { return Stations() == c.admitted; }, 15000))
            << Stations().join(' ').toStdString();
        EXPECT_TRUE(SimStatus().contains("with a WEP key: refused: WEP key does not match"))
            << SimStatus().toStdString();
    }
}

// The Soft AP profile is read from the adapter once per attach: a mode switch (the pages given the adapter
// again) keeps what was saved even before the adapter's worker stored it, a new adapter brings its own.
TEST_F(APCfgTest, TheProfileIsReadOncePerAttachAndSharedByTheWindowsPages)
{
    CNICAdapter& adapter = AttachSoftAP();
    const QString stored = Edit("EdtSSID")->text();
    ASSERT_FALSE(stored.isEmpty());
    qstrncpy(APProfile().Ssid1, "Not Yet Stored", sizeof APProfile().Ssid1);
    const struct {
        const char* step;
        bool newAdapter;
        QString shown;
    } steps[] = {
        {"to station mode and back", false, "Not Yet Stored"},
        {"a new adapter", true, stored},
    };
    for (const auto& s : steps) {
        m_Page->SetAdapter(&adapter, acDetach, 1);
        EXPECT_TRUE(Edit("EdtSSID")->text().isEmpty()) << s.step;
        m_Page->SetAdapter(&adapter, acAttach, 0);
        m_Page->SetAdapter(&adapter, acDetach, 0);
        if (s.newAdapter)
            m_Page->AdapterEvent(&adapter, NM_ATTACHED, 0);
        m_Page->SetAdapter(&adapter, acAttach, 1);
        EXPECT_EQ(Edit("EdtSSID")->text(), s.shown) << s.step;
    }

    auto* filter = new TFrameAPFilter(&m_Main);
    EXPECT_EQ(&CSoftAPProfile::InWindowOf(filter), &CSoftAPProfile::InWindowOf(m_Page)) << "one record";
    TFrameAPFilter elsewhere;
    EXPECT_NE(&CSoftAPProfile::InWindowOf(&elsewhere), &CSoftAPProfile::InWindowOf(m_Page))
        << "another window has its own";
}

// Saving the Soft AP settings ignored the store's answer: on a full disk the change was gone at the next
// start without a word. The failure is told; the stored profile keeps what it had.
TEST_F(APCfgTest, AStoreThatFailsIsTold)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\n");
    AttachSoftAP();
    ASSERT_TRUE(Stored([](const WLProfile& p) { return std::strcmp(p.Ssid1, "Kept-AP") != 0; }));
    Type("EdtSSID", "Kept-AP");
    Save();
    ASSERT_TRUE(WaitFor(
        [&] { return Stored([](const WLProfile& p) { return std::strcmp(p.Ssid1, "Kept-AP") == 0; }); }));
    for (const StoreFault fault : {StoreFault::FullDisk, StoreFault::FolderGone}) {
        const int shown = TFormMsgBox::LastShown().Count;
        {
            const FailingStore failing(fault, m_Dir.filePath("profiles"));
            Type("EdtSSID", "Lost-AP");
            TFormMsgBox::SetNextAnswer(mrOk);
            Save();
            ASSERT_TRUE(WaitFor([&] { return TFormMsgBox::LastShown().Count == shown + 1; }));
        }
        EXPECT_EQ(TFormMsgBox::LastShown().Text, "The profile could not be saved.");
        EXPECT_TRUE(Stored([](const WLProfile& p) { return std::strcmp(p.Ssid1, "Kept-AP") == 0; }));
    }
}
