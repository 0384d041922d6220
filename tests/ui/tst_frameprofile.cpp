// The Profile page and its profile editor on the simulated adapter, driven with clicks and key presses.
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Uprofile.h"
#include "app/Uutility.h"
#include "engine/Ucumlib.h"
#include "simtest.h"
#include "pagefixture.h"
#include "editorfixture.h"
#include "failingstore.h"
#include "testutil.h"
#include "ui/Uformbase.h"
#include "ui/Uformmsgbox.h"
#include "ui/pages/Uframeprofile.h"
#include "ui/pages/Uframeprofset.h"
#include "ui/pages/Upagetools.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <controls/Fabitmapbtn.h>
#include <controls/Sortlv.h>
#include <cstring>

using testutil::WaitFor;

namespace {

class ProfilePageTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_Page = new TFrameProfile;
        Host(m_Page);
        m_Lv = m_Page->findChild<TSortLv*>("LvProf");
        m_Main.Answer = [this](int code, int value) { return code == 5 ? m_Page->SaveProfile(value) : 0; };
    }
    struct Stored {
        const char* Name; // bytes, not necessarily UTF-8
        const char* Ssid;
        int NetworkMode;
        int Security;
        int Channel = 0;
        int Rate = 15;
    };
    // Stores profiles in the adapter and lists them on the page.
    void Store(std::initializer_list<Stored> profiles)
    {
        // The adapter starts with a default profile of its own.
        m_Adapter->DeleteProfile(0, "Default");
        for (const Stored& s : profiles) {
            WLProfile p = m_Adapter->DefProfile();
            std::memset(p.ProfileName, 0, sizeof p.ProfileName);
            std::memset(p.Ssid1, 0, sizeof p.Ssid1);
            qstrncpy(p.ProfileName, s.Name, sizeof p.ProfileName);
            qstrncpy(p.Ssid1, s.Ssid, sizeof p.Ssid1);
            p.NetworkMode = s.NetworkMode;
            p.EncryptionMethod = s.Security;
            p.Channel = s.Channel;
            p.TxRate = s.Rate;
            ASSERT_TRUE(m_Adapter->AddProfile(p));
        }
        m_Page->SetAdapter(m_Adapter.get(), 1, 0);
    }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < m_Lv->topLevelItemCount(); ++i)
            names << m_Lv->topLevelItem(i)->text(1);
        return names;
    }
    QString Selected() const
    {
        const QList<QTreeWidgetItem*> s = m_Lv->selectedItems();
        return s.isEmpty() ? QString() : s.first()->text(1);
    }
    void ClickRow(const QString& name)
    {
        for (int i = 0; i < m_Lv->topLevelItemCount(); ++i)
            if (m_Lv->topLevelItem(i)->text(1) == name) {
                const QRect r = m_Lv->visualItemRect(m_Lv->topLevelItem(i));
                QTest::mouseClick(m_Lv->viewport(), Qt::LeftButton, {}, r.center());
                return;
            }
        ADD_FAILURE() << "no row " << name.toStdString();
    }
    TFrameProfSet* Editor() const { return m_Page->Editor(); }
    TPropertyPageFrame* Current() const { return Editor()->CurrentPage(); }
    QString CurrentName() const { return Current() ? Current()->objectName() : QStringLiteral("none"); }
    template <class T = QWidget> T* OnPage(const char* name) const
    {
        return Current() ? Current()->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    // A click on a page button: the list page's, or the shown editor page's.
    void Click(const char* name)
    {
        auto* button =
            Editor()->isVisible() ? OnPage<QPushButton>(name) : m_Page->findChild<QPushButton*>(name);
        ASSERT_TRUE(button && button->isVisible() && button->isEnabled())
            << name << " on " << CurrentName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void Type(const char* edit, const QString& text)
    {
        auto* e = OnPage<QLineEdit>(edit);
        ASSERT_TRUE(e);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    // A detail of the list page (the editor has labels of the same names).
    QString ListText(const char* label) const
    {
        return m_Page->findChild<QWidget*>("PlProfile")->findChild<QLabel*>(QLatin1String(label))->text();
    }
    QString Value(const char* label) const
    {
        auto* l = OnPage<QLabel>(label);
        return l ? l->text() : QStringLiteral("<none>");
    }
    // Goes through the editor from the network type page to the confirmation page, noting every page.
    QStringList NextToConfirm()
    {
        QStringList path{CurrentName()};
        while (CurrentName() != QLatin1String("FrameConfirm1") && path.size() < 8) {
            Click("BtnNext");
            path << CurrentName();
        }
        return path;
    }
    // Save on the confirmation page; the adapter's worker stores the profile and the editor goes on when it
    // answers. True when the activation page is shown.
    bool Save()
    {
        Click("BtnSave");
        return WaitFor([&] { return CurrentName() == QLatin1String("FrameActive1"); });
    }
    // Delete, answered OK; true when the list has lost `name`.
    bool Delete(const QString& name)
    {
        TFormMsgBox::SetNextAnswer(mrOk);
        Click("BtnDelete");
        return WaitFor([&] { return !Names().contains(name); });
    }
    bool ReceivedShow(int page) const
    {
        return std::count(m_Main.Received.begin(), m_Main.Received.end(), std::pair{10, page}) > 0;
    }

    TFrameProfile* m_Page = nullptr;
    TSortLv* m_Lv = nullptr;
};

} // namespace

TEST_F(ProfilePageTest, AddProposesTheFirstFreeNumberedName)
{
    WriteSettings("[Setting]\nDefProfName=Home\nInitConnect=0\n");
    Attach();
    Store({{"Home", "a", 1, 0}, {"home_1", "b", 1, 0}, {"Home_2", "c", 1, 0}});
    Click("BtnAdd");
    ASSERT_EQ(CurrentName(), "FrameNetType1");
    EXPECT_EQ(OnPage<QLineEdit>("EdtName")->text(), "Home_3");
    EXPECT_STREQ(Editor()->Profile().NetInfo.sz_CurProfile, "Home_3");
    EXPECT_EQ(Value("LbEdtMode"), "Add New Profile");

    // Taking a listed name in other letter case is refused, with the name quoted.
    Type("EdtName", "HOME_2");
    TFormMsgBox::SetNextAnswer(mrOk);
    Click("BtnNext");
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "'HOME_2' already exists. Please enter another name.");
    EXPECT_EQ(CurrentName(), "FrameNetType1");
    for (const char* reserved : {"(EditingProfile)", ""}) {
        Type("EdtName", QString::fromLatin1(reserved));
        TFormMsgBox::SetNextAnswer(mrOk);
        Click("BtnNext");
        EXPECT_EQ(CurrentName(), "FrameNetType1") << reserved;
    }
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "Profile Name can't be empty!");
    EXPECT_STREQ(Editor()->Profile().ProfileName, "Home_3") << "a refused page changes nothing";
}

TEST_F(ProfilePageTest, TheEditorMakesEachPageWhenFirstWantedAndItComesComplete)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Store({{"Home", "a", 1, 0}});
    const auto made = [this] {
        QStringList names;
        for (const TPropertyPageFrame* page : Editor()->findChildren<TPropertyPageFrame*>())
            names << page->objectName();
        return names;
    };
    EXPECT_EQ(made(), QStringList()) << "nothing of the editor is made before it is opened";

    Click("BtnAdd");
    ASSERT_EQ(CurrentName(), "FrameNetType1");
    EXPECT_EQ(made(), QStringList({"FrameNetType1"}));
    // Made late, the page is skinned, has the adapter (its list of networks fills) and its fields count as
    // edits.
    auto* exit = OnPage<TFABitmapBtn>("BtnExit");
    ASSERT_TRUE(exit);
    EXPECT_FALSE(exit->Faces().isNull());
    auto* list = OnPage<QTreeWidget>("LvSite");
    ASSERT_TRUE(list);
    EXPECT_TRUE(WaitFor([&] { return list->topLevelItemCount() > 0; }));
    Type("EdtSSID", "typed");
    EXPECT_TRUE(Editor()->HasUnsavedEdits());

    // Going on makes the next page only; one made before is not made twice.
    Click("BtnNext");
    EXPECT_EQ(CurrentName(), "FrameSecurity1");
    Click("BtnBack");
    EXPECT_EQ(made(), QStringList({"FrameNetType1", "FrameSecurity1"}));
}

TEST_F(ProfilePageTest, OpenNetworkProfileOnADualBandAdapterIsStoredAndActivated)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach(); // the scenario's adapter has 2.4 and 5 GHz bands
    Click("BtnAdd");
    Type("EdtName", "Office");
    Type("EdtSSID", "Open-Net");
    EXPECT_EQ(NextToConfirm(),
              QStringList({"FrameNetType1", "FrameSecurity1", "FrameWireless1", "FrameConfirm1"}));
    EXPECT_EQ(Value("LblSSID"), "Open-Net");
    EXPECT_EQ(Value("LblChannel"), "Auto");
    EXPECT_EQ(Value("LblSecurity"), QString("Disabled"));

    // Back retraces the path, forward again, then Save stores and offers to connect.
    Click("BtnBack");
    EXPECT_EQ(CurrentName(), "FrameWireless1");
    Click("BtnNext");
    EXPECT_TRUE(Save());
    EXPECT_EQ(Names(), QStringList({"Office", "Default"})) << "a new profile is listed first";
    EXPECT_EQ(Selected(), "Office");
    EXPECT_TRUE(m_Adapter->ProfileExists("Office"));

    Click("BtnActNow");
    EXPECT_TRUE(WaitFor([&] { return ReceivedShow(1); }));
    ASSERT_TRUE(WaitFor([&] { return Connected(); }, 15000));
    // The applied profile's row is marked once the adapter reports it.
    m_Page->EnterPage(nullptr, 0, 0);
    EXPECT_FALSE(Editor()->isVisible());
    ASSERT_TRUE(WaitFor([&] { return m_Lv->topLevelItem(0)->background(1).color() == AppliedRowColor(); }));
}

TEST_F(ProfilePageTest, AdHocPathNeverShowsTheWirelessPageAndBackLeavesTheEditor)
{
    WriteSettings("[Setting]\nInitConnect=0\nAdHocChG=0,1,6\n");
    Attach();
    Click("BtnAdd");
    Type("EdtName", "Cell");
    Type("EdtSSID", "cell-net");
    QTest::mouseClick(OnPage("LbAdHoc"), Qt::LeftButton); // the caption chooses the type
    Click("BtnNext");
    ASSERT_EQ(CurrentName(), "FrameWlMode1");
    auto* bands = OnPage<QComboBox>("CmbAdHocMode");
    auto* channels = OnPage<QComboBox>("CmbChannel");
    ASSERT_GE(bands->findText("802.11g"), 0);
    bands->setFocus();
    while (bands->currentText() != "802.11g")
        QTest::keyClick(bands, Qt::Key_Down);
    QStringList texts;
    for (int i = 0; i < channels->count(); ++i)
        texts << channels->itemText(i);
    EXPECT_EQ(texts, QStringList({"Auto", "1", "6"}));
    channels->setFocus();
    while (channels->currentText() != "6")
        QTest::keyClick(channels, Qt::Key_Down);
    EXPECT_EQ(QStringList({"FrameWlMode1"}) + NextToConfirm().mid(1),
              QStringList({"FrameWlMode1", "FrameSecurity1", "FrameConfirm1"}));
    EXPECT_EQ(Value("LblNetType"), "Ad-Hoc");
    EXPECT_EQ(Value("LblWlMode"), "802.11g");
    EXPECT_EQ(Value("LblChannel"), "6");

    for (const char* back : {"FrameSecurity1", "FrameWlMode1", "FrameNetType1"}) {
        Click("BtnBack");
        EXPECT_EQ(CurrentName(), back);
    }
    Click("BtnExit");
    EXPECT_TRUE(WaitFor([&] { return ReceivedShow(2); })) << "the Profile page is shown again";
    EXPECT_EQ(Names(), QStringList{"Default"}) << "nothing stored";
}

TEST_F(ProfilePageTest, DetailsShowChannelRateAndKindTexts)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Store({{"A", "a", 0, 1, 6, 11}, {"B", "b", 1, 0, 6, 108}, {"C", "c", 0, 0, 0, 15}});
    const struct {
        const char* name;
        QString netType, channel, rate;
        int icon;
    } rows[] = {{"A", "Ad-Hoc", "6", "5.5 Mbps", 3},
                {"B", "Infrastructure", "Auto", "54 Mbps", 0},
                {"C", "Ad-Hoc", "Auto", "Auto", 1}};
    for (int i = 0; i < 3; ++i) {
        ClickRow(rows[i].name);
        EXPECT_EQ(ListText("LblNetType"), rows[i].netType) << rows[i].name;
        EXPECT_EQ(ListText("LblChannel"), rows[i].channel) << rows[i].name;
        EXPECT_EQ(ListText("LblTxRate"), rows[i].rate) << rows[i].name;
        EXPECT_EQ(m_Lv->topLevelItem(i)->icon(0).pixmap(44, 22).toImage(),
                  m_Res.ImgsType.Icon(rows[i].icon).pixmap(44, 22).toImage())
            << rows[i].name;
    }
    EXPECT_EQ(ListText("LblSecurity"), QString("Disabled"));
}

TEST_F(ProfilePageTest, DeletingTheLastItemSelectsTheNewLastAndTheOnlyOneLeavesNothingSelected)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Store({{"A", "a", 1, 0}, {"B", "b", 1, 0}, {"C", "c", 1, 0}});
    ClickRow("C");
    TFormMsgBox::SetNextAnswer(mrCancel);
    Click("BtnDelete");
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "Really remove 'C'?");
    EXPECT_EQ(Names(), QStringList({"A", "B", "C"})) << "Cancel keeps it";
    ASSERT_TRUE(Delete("C"));
    EXPECT_EQ(Names(), QStringList({"A", "B"}));
    EXPECT_EQ(Selected(), "B");
    EXPECT_FALSE(m_Adapter->ProfileExists("C"));
    ClickRow("A");
    ASSERT_TRUE(Delete("A"));
    EXPECT_EQ(Selected(), "B") << "the item that moved into the place";
    ASSERT_TRUE(Delete("B"));
    EXPECT_TRUE(Names().isEmpty());
    for (const char* button : {"BtnActivate", "BtnDelete", "BtnEdit"})
        EXPECT_FALSE(m_Page->findChild<QPushButton*>(button)->isEnabled()) << button;
    EXPECT_TRUE(m_Page->findChild<QPushButton*>("BtnAdd")->isEnabled());
    EXPECT_TRUE(ListText("LblSecurity").isEmpty());
}

// Deleting and saving called the library on the window's thread and so waited for a running connect. The
// worker makes the change now; until it answers, the list stays as it was and a second click changes nothing.
TEST_F(ProfilePageTest, ChangesWaitForARunningConnectOnTheWorkerAndAreMadeOnce)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Store({{"A", "a", 1, 0}, {"B", "b", 1, 0}});
    ASSERT_TRUE(simtest::SimCtlSucceeds("slow connect 1500"));
    ConnectTo("Open-Net", "Link");
    ASSERT_TRUE(WaitFor([&] { return LogSince().contains("call TSRWL_SetWLANStatus\r\n"); }));

    ClickRow("A");
    TFormMsgBox::SetNextAnswer(mrOk);
    Click("BtnDelete");
    EXPECT_EQ(Names(), QStringList({"A", "B"})) << "listed until the worker has deleted it";
    EXPECT_FALSE(m_Page->findChild<QPushButton*>("BtnDelete")->isEnabled()) << "no second delete meanwhile";
    Click("BtnAdd");
    Type("EdtSSID", "Open-Net");
    NextToConfirm();
    Click("BtnSave");
    EXPECT_EQ(CurrentName(), "FrameConfirm1");
    EXPECT_FALSE(OnPage<QPushButton>("BtnSave")->isEnabled()) << "no second save meanwhile";

    ASSERT_TRUE(WaitFor([&] { return CurrentName() == QLatin1String("FrameActive1"); }, 10000));
    EXPECT_EQ(Names(), QStringList({"Default", "B"}));
    EXPECT_EQ(Selected(), "Default");
    TProfileList stored;
    m_Adapter->GetProfileList(0, stored);
    EXPECT_EQ(stored.size(), 2u);
    EXPECT_TRUE(simtest::SimCtlSucceeds("slow connect 0"));
}

TEST_F(ProfilePageTest, ConnectLastFollowsTheSettingAndFallsBackToTheFirstListedProfile)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Store({{"Beta", "Open-Net", 1, 0}, {"Alpha", "Open-Net", 1, 0}});
    m_Adapter->WriteSet("LastProf", "Beta");
    m_Page->ConnectLast();
    EXPECT_FALSE(LogSince().contains("Connect last")) << "InitConnect is off";

    m_Adapter->WriteSet("InitConnect", true);
    m_Page->ConnectLast();
    EXPECT_TRUE(LogSince().contains("Connect last => Beta"));
    m_Adapter->WriteSet("LastProf", "Vanished");
    m_Page->ConnectLast();
    EXPECT_TRUE(LogSince().contains("Connect last => Alpha")) << "the first in display order";

    // Under zero configuration nothing connects, not even a double click.
    m_Page->AdapterEvent(m_Adapter.get(), 4, 1);
    EXPECT_TRUE(Names().isEmpty());
    m_Page->AdapterEvent(m_Adapter.get(), 4, 0);
    EXPECT_EQ(Names(), QStringList({"Alpha", "Beta"})) << "taken back, listed once";
}

TEST_F(ProfilePageTest, ScannedNetworkIsConnectedWithoutBeingStored)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    TSSiteEntry site{};
    ASSERT_TRUE(WaitFor([&] { return FindSite("Secure-Net", site); }, 15000));
    WLProfile& p = Editor()->Profile();
    m_Adapter->SiteToProfile(site, p);
    CopyTextField(p.ProfileName, sizeof p.ProfileName, "(EditingProfile)");
    CopyTextField(p.WPAPassphrase, sizeof p.WPAPassphrase, "correct-horse-battery");
    ASSERT_NE(p.EncryptionMethod, 0);

    // Back from the first page returns to the Site Survey page.
    ASSERT_TRUE(m_Page->EnterPage(nullptr, 0, efSecurityOnly));
    EXPECT_TRUE(Editor()->isVisible());
    Click("BtnBack");
    EXPECT_TRUE(WaitFor([&] { return ReceivedShow(3); }));

    ASSERT_TRUE(m_Page->EnterPage(nullptr, 0, efSecurityOnly));
    ASSERT_EQ(CurrentName(), "FrameWPAPSK1") << "a scanned network starts at its security details";
    Click("BtnNext");
    ASSERT_EQ(CurrentName(), "FrameConfirm1") << "no wireless page for a scanned network";
    Click("BtnSave");
    EXPECT_TRUE(WaitFor([&] { return ReceivedShow(1); }));
    ASSERT_TRUE(WaitFor([&] { return Connected(); }, 15000));
    EXPECT_EQ(Names(), QStringList{"Default"});
    EXPECT_FALSE(m_Adapter->ProfileExists("(EditingProfile)"));
}

TEST_F(ProfilePageTest, AFailedSaveIsReportedAndKeepsTheConfirmationPage)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Click("BtnAdd");
    Type("EdtSSID", "Open-Net");
    NextToConfirm();
    m_Main.Answer = [](int, int) { return 0; };
    TFormMsgBox::SetNextAnswer(mrOk);
    const int shown = TFormMsgBox::LastShown().Count;
    Click("BtnSave");
    EXPECT_EQ(TFormMsgBox::LastShown().Count, shown + 1);
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "The profile could not be saved.");
    EXPECT_EQ(CurrentName(), "FrameConfirm1");
}

// Editing on a full disk said the profile was configured and lost it: the old file went although the new one
// was never stored. A store that fails is told; the editor stays on its confirmation page with what was
// typed, and the list and the store keep what they had. A delete that fails is told and keeps the row.
TEST_F(ProfilePageTest, AStoreThatFailsIsToldAndTheEditorKeepsTheInput)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Store({{"Home", "home-net", 1, 0}});
    struct Case {
        const char* what;
        const char* button; // BtnAdd, or BtnEdit on the row Home
        const char* name;
    };
    const Case cases[] = {
        {"add", "BtnAdd", "New"}, {"edit", "BtnEdit", "Home"}, {"rename", "BtnEdit", "Home2"}};
    for (const StoreFault fault : {StoreFault::FullDisk, StoreFault::FolderGone})
        for (const Case& c : cases) {
            const std::string where =
                std::string(c.what) +
                (fault == StoreFault::FullDisk ? " on a full disk" : " without its folder");
            ClickRow("Home");
            Click(c.button);
            Type("EdtName", c.name);
            Type("EdtSSID", "typed-net");
            NextToConfirm();
            ASSERT_EQ(CurrentName(), "FrameConfirm1") << where;
            const int shown = TFormMsgBox::LastShown().Count;
            {
                const FailingStore failing(fault, m_Dir.filePath("profiles"));
                TFormMsgBox::SetNextAnswer(mrOk);
                Click("BtnSave");
                ASSERT_TRUE(WaitFor([&] { return TFormMsgBox::LastShown().Count == shown + 1; })) << where;
            }
            EXPECT_EQ(TFormMsgBox::LastShown().Text, "The profile could not be saved.") << where;
            EXPECT_EQ(CurrentName(), "FrameConfirm1") << where;
            EXPECT_STREQ(Editor()->Profile().ProfileName, c.name) << where << ": the input is kept";
            EXPECT_STREQ(Editor()->Profile().Ssid1, "typed-net") << where;
            EXPECT_TRUE(OnPage<QPushButton>("BtnSave")->isEnabled()) << where << ": may be tried again";
            EXPECT_EQ(Names(), QStringList{"Home"}) << where;
            WLProfile home{};
            EXPECT_EQ(g_TSLib.TSRWL_GetWLProfile("Home", &home), 1) << where;
            EXPECT_STREQ(home.Ssid1, "home-net") << where;
            Click("BtnExit");
            m_Page->EnterPage(nullptr, 0, 0);
        }

    ClickRow("Home");
    {
        const FailingStore failing(StoreFault::FolderGone, m_Dir.filePath("profiles"));
        const int shown = TFormMsgBox::LastShown().Count;
        TFormMsgBox::SetNextAnswer(mrOk);
        Click("BtnDelete");
        TFormMsgBox::SetNextAnswer(mrOk);
        ASSERT_TRUE(WaitFor([&] { return TFormMsgBox::LastShown().Count == shown + 2; }));
    }
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "The profile Home could not be removed.");
    EXPECT_EQ(Names(), QStringList{"Home"});
    EXPECT_TRUE(m_Adapter->ProfileExists("Home"));
    ASSERT_TRUE(Delete("Home")) << "once the folder is back";
}

// A NUL pasted into the profile name silently cut it. Control characters in a name, and a NUL in an SSID,
// are refused with a message, and the editor stays on the page.
TEST_F(ProfilePageTest, PastedControlCharactersAreRefusedWithAMessage)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    const struct {
        const char* edit;
        QString pasted;
        const char* message;
    } cases[] = {
        {"EdtName", QString::fromUtf16(u"Home\0Evil", 9), "A profile name cannot hold control characters"},
        {"EdtName", "Line\nBreak", "A profile name cannot hold control characters"},
        {"EdtName", "Tab\there", "A profile name cannot hold control characters"},
        {"EdtName", QString("Del") + QChar(0x7f), "A profile name cannot hold control characters"},
        {"EdtSSID", QString::fromUtf16(u"net\0work", 8), "The SSID cannot hold a NUL character"},
    };
    for (const auto& c : cases) {
        Click("BtnAdd");
        Type("EdtName", "Fine");
        Type("EdtSSID", "fine-net");
        auto* edit = OnPage<QLineEdit>(c.edit);
        ASSERT_TRUE(edit);
        edit->setFocus();
        edit->selectAll();
        QGuiApplication::clipboard()->setText(c.pasted);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(edit->text(), c.pasted) << "pasted whole: " << c.edit;
        const int shown = TFormMsgBox::LastShown().Count;
        TFormMsgBox::SetNextAnswer(mrOk);
        Click("BtnNext");
        EXPECT_EQ(TFormMsgBox::LastShown().Count, shown + 1) << qPrintable(c.pasted);
        EXPECT_TRUE(TFormMsgBox::LastShown().Text.startsWith(QLatin1String(c.message)))
            << qPrintable(c.pasted);
        EXPECT_EQ(CurrentName(), "FrameNetType1") << qPrintable(c.pasted);
        Click("BtnExit");
        m_Page->EnterPage(nullptr, 0, 0);
    }
    EXPECT_EQ(Names(), QStringList{"Default"});
}

TEST_F(ProfilePageTest, EditingKeepsANameThatIsNotUtf8ByteForByte)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Store({{"Caf\xe9",
            "Stra\xdf"
            "e",
            1, 0},
           {"Other", "x", 1, 0}});
    EXPECT_EQ(Names(), QStringList({QString::fromUtf8("Caf\u00e9"), "Other"}));
    ClickRow(QString::fromUtf8("Caf\u00e9"));
    Click("BtnEdit");
    EXPECT_EQ(Value("LbEdtMode"), "Edit Profile");
    EXPECT_EQ(OnPage<QLineEdit>("EdtSSID")->text(), QString::fromUtf8("Stra\u00dfe"));
    // Renaming it to another listed profile is refused; keeping its own name is not.
    Type("EdtName", "other");
    TFormMsgBox::SetNextAnswer(mrOk);
    Click("BtnNext");
    EXPECT_EQ(CurrentName(), "FrameNetType1");
    auto* name = OnPage<QLineEdit>("EdtName");
    for (int i = 0; i < 20 && name->text() != QString::fromUtf8("Caf\u00e9"); ++i)
        QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(name->text(), QString::fromUtf8("Caf\u00e9"));
    NextToConfirm();
    ASSERT_TRUE(Save());
    EXPECT_STREQ(Editor()->Profile().ProfileName, "Caf\xe9");
    EXPECT_STREQ(Editor()->Profile().Ssid1, "Stra\xdf"
                                            "e");
    TProfileList stored;
    m_Adapter->GetProfileList(0, stored);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_TRUE(std::any_of(stored.begin(), stored.end(), [](const auto& p) {
        return std::strcmp(p->ProfileName, "Caf\xe9") == 0 && std::strcmp(p->Ssid1, "Stra\xdf"
                                                                                    "e") == 0;
    }));
    Click("BtnActLater");
    EXPECT_TRUE(WaitFor([&] { return ReceivedShow(2); }));
}

TEST_F(ProfilePageTest, BandPageOnADualBandAdapterKeepsTheAdHocBandOnAnAllowedBand)
{
    WriteSettings("[Setting]\nInitConnect=0\nSupportMode=14\nDefChA=40\n");
    Attach();
    Store({{"Dual", "Open-Net", 1, 0}});
    WLProfile p{};
    {
        TProfileList list;
        m_Adapter->GetProfileList(0, list);
        p = *list.front();
    }
    p.ABGMode = 11;
    p.AdHocBand = 3;
    ASSERT_TRUE(m_Adapter->UpdateProfile(p, "Dual"));
    m_Page->SetAdapter(m_Adapter.get(), 1, 0);
    Click("BtnEdit");
    Click("BtnNext");
    ASSERT_EQ(CurrentName(), "FrameSecurity1");
    Click("BtnNext");
    ASSERT_EQ(CurrentName(), "FrameWireless1");
    auto* band24 = OnPage<QCheckBox>("ChkBand1");
    auto* band5 = OnPage<QCheckBox>("ChkBand2");
    EXPECT_TRUE(band24->isChecked());
    EXPECT_FALSE(band5->isChecked());
    EXPECT_EQ(Value("LbBand1"), "2.4 GHz");
    EXPECT_EQ(Value("LbBand2"), "5 GHz");
    EXPECT_FALSE(OnPage("ChkBand3")->isVisible());

    QTest::mouseClick(band5, Qt::LeftButton);
    Click("BtnNext");
    EXPECT_EQ(Editor()->Profile().ABGMode, 14);
    EXPECT_EQ(Value("LblWlMode"), "2.4 GHz + 5 GHz");
    Click("BtnBack");

    QTest::mouseClick(band24, Qt::LeftButton);
    QTest::mouseClick(band5, Qt::LeftButton);
    TFormMsgBox::SetNextAnswer(mrOk);
    Click("BtnNext");
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "No band was selected!\nAt least one band must be selected.");
    EXPECT_EQ(CurrentName(), "FrameWireless1");

    QTest::mouseClick(band5, Qt::LeftButton);
    Click("BtnNext");
    EXPECT_EQ(Editor()->Profile().ABGMode, 2);
    EXPECT_EQ(Editor()->Profile().AdHocBand, 2) << "802.11g is not on the 5 GHz band";
    EXPECT_EQ(Editor()->Profile().Channel, 40);
}

TEST_F(ProfilePageTest, AdHocBandsAndChannelsFollowTheAdaptersSettings)
{
    const struct {
        const char* settings;
        const char* band;
        QStringList bands, channels;
        bool wirelessPage;
    } cases[] = {
        {"SupportMode=14\nAdHocChA=36,40,x,44\n",
         "802.11a",
         {"802.11b", "802.11g", "802.11a"},
         {"36", "40", "44"},
         true},
        {"SupportMode=11\nEnableAdHocG=0\nAdHocChB=1,2\nAdHocChB_FCC=0,11\n",
         "2.4 GHz",
         {"2.4 GHz"},
         {"Auto", "11"},
         false},
    };
    for (const auto& c : cases) {
        WriteSettings(QByteArray("[Setting]\nInitConnect=0\n") + c.settings);
        Attach();
        Click("BtnAdd");
        Type("EdtSSID", "cell");
        QTest::mouseClick(OnPage("LbAdHoc"), Qt::LeftButton);
        Click("BtnNext");
        ASSERT_EQ(CurrentName(), "FrameWlMode1");
        auto* bands = OnPage<QComboBox>("CmbAdHocMode");
        QStringList texts;
        for (int i = 0; i < bands->count(); ++i)
            texts << bands->itemText(i);
        EXPECT_EQ(texts, c.bands) << c.settings;
        bands->setFocus();
        QTest::keyClick(bands, Qt::Key_Home);
        for (int i = 0; i < bands->count() && bands->currentText() != c.band; ++i)
            QTest::keyClick(bands, Qt::Key_Down);
        auto* channels = OnPage<QComboBox>("CmbChannel");
        texts.clear();
        for (int i = 0; i < channels->count(); ++i)
            texts << channels->itemText(i);
        EXPECT_EQ(texts, c.channels) << c.settings;
        Click("BtnExit");

        // An infrastructure profile sees the band page only on an adapter with both bands.
        m_Page->EnterPage(nullptr, 0, 0);
        Click("BtnAdd");
        Type("EdtSSID", "infra");
        Click("BtnNext");
        EXPECT_EQ(CurrentName(), "FrameSecurity1") << c.settings;
        Click("BtnNext");
        EXPECT_EQ(CurrentName(), c.wirelessPage ? "FrameWireless1" : "FrameConfirm1") << c.settings;
        Click("BtnExit");
        m_Page->EnterPage(nullptr, 0, 0);
        m_Page->SetAdapter(nullptr, 2, 0);
        DestroyAdapter();
    }
}

TEST_F(ProfilePageTest, AScannedNetworkIsTakenOverButTheTypedNameStays)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Click("BtnAdd");
    auto* sites = OnPage<TSortLv>("LvSite");
    ASSERT_TRUE(WaitFor([&] { return sites->topLevelItemCount() >= 2; }, 15000));
    EXPECT_FALSE(OnPage<QPushButton>("BtnSelect")->isEnabled());
    Type("EdtName", "Mine");
    QTreeWidgetItem* secure = nullptr;
    for (int i = 0; i < sites->topLevelItemCount(); ++i)
        if (sites->topLevelItem(i)->text(1) == "Secure-Net")
            secure = sites->topLevelItem(i);
    ASSERT_TRUE(secure);
    QTest::mouseClick(sites->viewport(), Qt::LeftButton, {}, sites->visualItemRect(secure).center());
    Click("BtnSelect");
    EXPECT_EQ(OnPage<QLineEdit>("EdtSSID")->text(), "Secure-Net");
    EXPECT_EQ(OnPage<QLineEdit>("EdtName")->text(), "Mine");
    EXPECT_NE(Editor()->Profile().EncryptionMethod, 0) << "the network's security comes along";
    Click("BtnNext");
    EXPECT_STREQ(Editor()->Profile().ProfileName, "Mine");
    EXPECT_STREQ(Editor()->Profile().Ssid1, "Secure-Net");
}

TEST_F(ProfilePageTest, ATypedScannedNameTakesItsSecurityAndTheListShowsSignalAndChannel)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    Click("BtnAdd");
    auto* sites = OnPage<TSortLv>("LvSite");
    ASSERT_TRUE(
        WaitFor([&] { return sites->findItems("Secure-Net", Qt::MatchExactly, 1).size() == 1; }, 15000));
    const QTreeWidgetItem* secure = sites->findItems("Secure-Net", Qt::MatchExactly, 1).first();
    EXPECT_EQ(secure->text(2), QString("%1%").arg(SignalPercent(-66)));
    EXPECT_EQ(secure->text(3), "11");

    // Typed without Select; each row goes back to the first page and types another name.
    const struct {
        const char* Ssid;
        int Security;
        int Cipher; // 0: no cipher page
    } cases[] = {
        {"Elsewhere", 0, 0},  // not scanned: the defaults stay
        {"Secure-Net", 6, 2}, // WPA2-PSK with AES, as Select gives it
        {"Open-Net", 0, 0},   // another type again: back to none
    };
    Type("EdtName", "Typed");
    for (const auto& c : cases) {
        Type("EdtSSID", c.Ssid);
        Click("BtnNext");
        ASSERT_EQ(CurrentName(), "FrameSecurity1") << c.Ssid;
        EXPECT_EQ(OnPage<QComboBox>("CmbSecurity")->currentData().toInt(), c.Security) << c.Ssid;
        if (c.Cipher) {
            Click("BtnNext");
            ASSERT_EQ(CurrentName(), "FrameWPAPSK1") << c.Ssid;
            EXPECT_EQ(OnPage<QComboBox>("CmbEncryp")->currentData().toInt(), c.Cipher) << c.Ssid;
            Click("BtnBack");
        }
        Click("BtnBack");
        ASSERT_EQ(CurrentName(), "FrameNetType1");
    }
}

namespace {

// A world with one network of each secured kind, on a single-band adapter (no wireless page in the
// path).
const char SECURE_SCENARIO[] = R"([Adapter]
HardwareId=USB\VID_F5E1&PID_0302
Description=Secure Test Adapter
MAC=02:00:00:00:00:E4
Domain=FCC
Modes=g
SoftAP=0
ZeroConfigService=0
ScanTime=200
ConnectTime=300

[Network.Wep]
SSID=Wep-Net
BSSID=00:11:22:00:02:01
Channel=3
Security=1
WEPKey=02CB778981
WEPAuth=shared
Signal=-50
Drift=0

[Network.Psk]
SSID=Psk-Net
BSSID=00:11:22:00:02:02
Channel=6
Security=20
PassPhrase=tkip-phrase-one
Signal=-55
Drift=0

[Network.Psk2]
SSID=Psk2-Net
BSSID=00:11:22:00:02:03
Channel=11
Security=123
PassPhrase=aes-phrase-two
Signal=-60
Drift=0

[Network.Peap]
SSID=Peap-Net
BSSID=00:11:22:00:02:04
Channel=1
Security=113
EAP=peap:mschapv2
Accounts=alice:Wonder-1
ServerCA=Test Root CA
Signal=-58
Drift=0

[Network.Ttls]
SSID=Ttls-Net
BSSID=00:11:22:00:02:05
Channel=9
Security=10
EAP=ttls:pap
Accounts=dave:Tunnel-42
ServerCA=Test Root CA
Signal=-62
Drift=0

[Network.Radius]
SSID=Radius-Net
BSSID=00:11:22:00:02:06
Channel=4
Security=1
EAP=tls
Certificate=frank@test.example
ServerCA=Test Root CA
Signal=-57
Drift=0

[Network.Leap]
SSID=Leap-Net
BSSID=00:11:22:00:02:07
Channel=7
Security=10
EAP=leap
Accounts=erin:Leap-Frog-7
Signal=-59
Drift=0

[Certificate.Frank]
Kind=user
Name=frank@test.example
Issuer=Test Issuing CA

[Certificate.Grace]
Kind=user
Name=grace@test.example
Issuer=Test Issuing CA

[Certificate.Root]
Kind=authority
Name=Test Root CA
Issuer=Test Root CA

[Certificate.Other]
Kind=authority
Name=Other Root CA
Issuer=Other Root CA
)";

class SecureProfileTest : public ProfilePageTest {
protected:
    void UseLibrary() override { UseSimulator(SECURE_SCENARIO, "USB\\VID_F5E1&PID_0302"); }
    // Adds a profile through the editor up to the security details page of `security`.
    void StartProfile(const QString& name, const char* ssid, int security)
    {
        Click("BtnAdd");
        Type("EdtName", name);
        Type("EdtSSID", QString::fromLatin1(ssid));
        Click("BtnNext");
        ASSERT_EQ(CurrentName(), "FrameSecurity1");
        ChooseByKeys(OnPage<QComboBox>("CmbSecurity"), security);
        Click("BtnNext");
    }
    // Next up to the confirmation page, Save, Activate Now; true when the link comes up with this
    // profile.
    bool SaveAndConnect(const QString& name, int waitMs)
    {
        for (int i = 0; i < 4 && CurrentName() != QLatin1String("FrameConfirm1"); ++i)
            Click("BtnNext");
        EXPECT_EQ(CurrentName(), "FrameConfirm1");
        EXPECT_TRUE(Save());
        Click("BtnActNow");
        // Association takes 300 ms and the status is collected every two seconds; a refused profile
        // never comes up.
        return WaitFor(
            [&] {
                NetworkInfo info{};
                m_Adapter->GetNetInfo(info);
                return Connected() && QString::fromUtf8(info.sz_CurProfile) == name;
            },
            waitMs);
    }
    // The same up to Activate Now; the simulated network's reason when it refuses the profile, at once
    // rather than after a status cycle.
    QString SaveAndRefusal(const QString& name)
    {
        SaveAndConnect(name, 0);
        const QString prefix = QStringLiteral("refused profile %1: ").arg(name);
        QString refusal;
        WaitFor([&] {
            const QString state = QString::fromUtf8(testutil::ReadFile(m_Dir.filePath("sim.state")));
            const qsizetype at = state.indexOf(prefix);
            refusal = at < 0 ? QString() : state.mid(at + prefix.size()).section(QLatin1Char('\n'), 0, 0);
            return !refusal.isEmpty();
        });
        return refusal;
    }
    // Chooses the item showing `text` with the keyboard.
    void ChooseText(const char* combo, const QString& text)
    {
        auto* box = OnPage<QComboBox>(combo);
        ASSERT_TRUE(WaitFor([&] { return box->findText(text) >= 0; })) << text.toStdString();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        while (box->currentText() != text)
            QTest::keyClick(box, Qt::Key_Down);
    }
};

} // namespace

TEST_F(SecureProfileTest, EachKindConnectsWithTheRightSecretOnly)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    struct Case {
        const char* Kind;
        const char* Ssid;
        int Security;
        std::function<void()> Right, Wrong;
    };
    auto phrase = [this](const char* text) {
        return [this, text] { Type("EdtPhrase", QString::fromLatin1(text)); };
    };
    auto wep = [this](int auth, std::function<void()> keys) {
        return [this, auth, keys] {
            ChooseByKeys(OnPage<QComboBox>("CmbWEP"), 1);
            ChooseByKeys(OnPage<QComboBox>("CmbAuthen"), auth);
            keys();
        };
    };
    auto aes = [this](std::function<void()> then) {
        return [this, then] {
            ChooseByKeys(OnPage<QComboBox>("CmbEncryp"), 2);
            then();
        };
    };
    const Case cases[] = {
        {"WEP from a pass phrase, shared key", "Wep-Net", 1, wep(1, phrase("badpw")),
         wep(1, [this] { Type("EdtKey1", QStringLiteral("02CB778982")); })},
        {"WEP, open system to a shared-key network", "Wep-Net", 1, wep(2, phrase("badpw")),
         wep(0, phrase("badpw"))},
        {"WPA-PSK", "Psk-Net", 2, phrase("tkip-phrase-one"), phrase("tkip-phrase-two")},
        {"WPA2-PSK with AES", "Psk2-Net", 6, aes(phrase("aes-phrase-two")), aes(phrase("aes-phrase-one"))},
        {"WPA2-PSK with TKIP to an AES network", "Psk2-Net", 6, aes(phrase("aes-phrase-two")),
         phrase("aes-phrase-two")},
    };
    int n = 0;
    for (const Case& c : cases) {
        ++n;
        for (bool right : {true, false}) {
            const QString name = QStringLiteral("%1%2").arg(right ? "Right" : "Wrong").arg(n);
            StartProfile(name, c.Ssid, c.Security);
            (right ? c.Right : c.Wrong)();
            // A link that comes up does so within one status cycle; waiting that long for a refusal
            // is enough.
            if (right)
                EXPECT_TRUE(SaveAndConnect(name, 8000)) << c.Kind;
            else
                EXPECT_FALSE(SaveAndRefusal(name).isEmpty()) << c.Kind << ": a wrong secret is refused";
            m_Page->EnterPage(nullptr, 0, 0);
        }
    }
}

TEST_F(SecureProfileTest, Dot1xProfilesLogInWithTheRightMethodAccountCertificateAndAuthorityOnly)
{
    WriteSettings("[Setting]\nInitConnect=0\nEnPEAP_GTC=1\nEnWPA_LEAP=1\n");
    Attach();
    struct TLogin {
        int Method, Inner;                                     // inner -1: the method has none
        const char *User, *Password, *Authority, *Certificate; // null: the method has no such row
    };
    const struct {
        const char* Ssid;
        int Security, Cipher; // cipher 0: 802.1x without WPA has none
        TLogin Login;
        const char* Refusal; // empty: the link comes up
    } cases[] = {
        {"Peap-Net", 7, 2, {3, 2, "alice", "Wonder-1", "Test Root CA", nullptr}, ""},
        {"Peap-Net",
         7,
         2,
         {3, 1, "alice", "Wonder-1", "Test Root CA", nullptr},
         "802.1x method or inner method not offered"},
        {"Peap-Net",
         7,
         2,
         {3, 2, "alice", "Wonder-2", "Test Root CA", nullptr},
         "wrong key, pass phrase or account"},
        {"Peap-Net",
         7,
         2,
         {3, 2, "alice", "Wonder-1", "Other Root CA", nullptr},
         "server certificate not trusted"},
        {"Ttls-Net", 3, 1, {2, 0, "dave", "Tunnel-42", "Test Root CA", nullptr}, ""},
        {"Radius-Net",
         4,
         0,
         {1, -1, "frank", nullptr, "Test Root CA", "frank@test.example [Test Issuing CA]"},
         ""},
        {"Radius-Net",
         4,
         0,
         {1, -1, "frank", nullptr, "Test Root CA", "grace@test.example [Test Issuing CA]"},
         "wrong key, pass phrase or account"},
        {"Leap-Net", 3, 1, {4, -1, "erin", "Leap-Frog-7", nullptr, nullptr}, ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString name = QStringLiteral("Dot1x%1").arg(++n);
        StartProfile(name, c.Ssid, c.Security);
        ASSERT_EQ(CurrentName(), "FrameDot111");
        if (c.Cipher)
            ChooseByKeys(OnPage<QComboBox>("CmbEncryp"), c.Cipher);
        ChooseByKeys(OnPage<QComboBox>("CmbAuthen"), c.Login.Method);
        if (c.Login.Inner >= 0)
            ChooseByKeys(OnPage<QComboBox>("CmbInner"), c.Login.Inner);
        Type("EdtUser", QString::fromLatin1(c.Login.User));
        if (c.Login.Password)
            Type("EdtPasswd", QString::fromLatin1(c.Login.Password));
        if (c.Login.Authority)
            ChooseText("CmbServerCA", QString::fromLatin1(c.Login.Authority));
        if (c.Login.Certificate)
            ChooseText("CmbMyCert", QString::fromLatin1(c.Login.Certificate));
        if (*c.Refusal)
            EXPECT_EQ(SaveAndRefusal(name), QString::fromLatin1(c.Refusal)) << n;
        else
            EXPECT_TRUE(SaveAndConnect(name, 8000)) << n;
        m_Page->EnterPage(nullptr, 0, 0);
    }
    // The login is kept in the stored profiles and in the last applied profile of the user's settings,
    // which only their owner may read, and never in the debug log.
    QStringList files{g_Var.UserSettingsFile};
    for (QDirIterator it(m_Dir.filePath(QStringLiteral("profiles")), QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        files << it.next();
    EXPECT_GT(files.size(), 5);
    for (const QString& file : files)
        EXPECT_EQ(QFileInfo(file).permissions() &
                      ~(QFile::ReadUser | QFile::WriteUser | QFile::ReadOwner | QFile::WriteOwner),
                  QFile::Permissions())
            << file.toStdString();
    EXPECT_TRUE(testutil::ReadFile(g_Var.UserSettingsFile).contains("Leap-Frog-7"));
    for (const char* password : {"Wonder-1", "Wonder-2", "Tunnel-42", "Leap-Frog-7"})
        EXPECT_FALSE(LogSince().contains(QLatin1String(password))) << "a password in the debug log";
}
