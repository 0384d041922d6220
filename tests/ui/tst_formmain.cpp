// The main window on the simulated adapter: pages and tabs, the mode switch, adapter arrival and removal, the
// service start, the tray menu and the notify codes.
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Uutility.h"
#include "app/Unotifyevent.h"
#include "controls/Trayicon.h"
#include "controls/Trifacebtn.h"
#include "controls/Trifacelabel.h"
#include "engine/Uadaptersession.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"
#include "simtest.h"
#include "mainfixture.h"
#include "testutil.h"
#include "ui/Propertypageframeunit.h"
#include "ui/Uformbase.h"
#include "ui/Uformmain.h"
#include "ui/Uformmsgbox.h"
#include "ui/Uformres.h"
#include "ui/Ukeyboard.h"
#include "ui/pages/Uframeprofile.h"
#include "ui/pages/Uframeprofset.h"
#include "ui/pages/Upagetools.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <unistd.h>
#include <vector>

using testutil::WaitFor;

TEST_F(FormMainTest, TabsSwitchPagesAndColourTheSelectedTab)
{
    EXPECT_EQ(Main().Mode(), 0);
    EXPECT_EQ(Main().CurrentPage(), Page("FrameLinkInfo1"));
    EXPECT_EQ(Main().size(), QSize(800, 480)) << "the window takes the size of its background picture";
    ClickTab("LbProfile");
    EXPECT_EQ(Main().CurrentPage(), Page("FrameProfile1"));
    EXPECT_FALSE(Page("FrameLinkInfo1")->isVisibleTo(&Main()));
    EXPECT_TRUE(Page("FrameProfile1")->isVisibleTo(&Main()));
    EXPECT_EQ(Tab("LbProfile")->FontCrNormal(), QColor(Qt::white));
    EXPECT_EQ(Tab("LbLinkInfo")->FontCrNormal(), TAB_NORMAL);

    // The current tab again, and a switch to no page, change nothing.
    ClickTab("LbProfile");
    Main().SwitchPage(nullptr, 0);
    EXPECT_EQ(Main().CurrentTab(), Tab("LbProfile"));
    EXPECT_EQ(Tab("LbProfile")->FontCrNormal(), QColor(Qt::white));
}

TEST_F(FormMainTest, MinimisingHidesTheWindowToTheTray)
{
    StartWithAdapter(0);
    ASSERT_TRUE(Main().TrayIconMain()->Visible());
    Main().show();
    ASSERT_TRUE(WaitFor([&] { return Main().isVisible(); }));
    Main().setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(WaitFor([&] { return !Main().isVisible(); }));
}

// Counts the status reports the adapter delivers to the GUI thread.
class StatusCounter : public QObject {
public:
    StatusCounter() { QCoreApplication::instance()->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == NotifyMsg() && static_cast<TNotifyEvent*>(e)->Code == NM_STATUS)
            ++Count;
        return QObject::eventFilter(watched, e);
    }
};

TEST_F(FormMainTest, StartedInTheTrayOnlyTheLinkWakesTheWindowUntilItIsShown)
{
    StatusCounter reports;
    StartWithAdapter(SF_TRAYICON);
    ASSERT_TRUE(WaitFor([&] { return Main().TrayIconMain()->IconIndex() == CAdapterSession::lsUp; }, 15000))
        << "the tray shows the link coming up";
    const int up = reports.Count;
    EXPECT_GE(up, 1);
    EXPECT_FALSE(WaitFor([&] { return reports.Count > up; }, 5000)) << "the link stays up: nothing to report";
    auto* ssid = Child<QLabel>("LblSSID");
    EXPECT_TRUE(ssid->text().isEmpty()) << "nothing drawn while hidden";

    Main().show();
    ASSERT_TRUE(WaitFor([&] { return reports.Count > up + 1; }, 5000)) << "shown, every report";
    EXPECT_FALSE(ssid->text().isEmpty());
    EXPECT_EQ(Main().TrayIconMain()->IconIndex(), CAdapterSession::lsUp);
}

TEST_F(FormMainTest, RightButtonDownOnTheTrayIconBringsTheWindowToTheFront)
{
    Main().show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &other; }));
    Main().TrayIconMain()->HandleMouse(TTrayIcon::mmRightDown, QPoint(5, 5));
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &Main(); }));
}

TEST_F(FormMainTest, PagesShownByCode)
{
    const struct {
        int code;
        const char* page;
    } cases[] = {{PAGE_PROFILE, "FrameProfile1"},
                 {PAGE_SITE_SURVEY, "FrameSurvey1"},
                 {PAGE_LINK_INFO, "FrameLinkInfo1"},
                 {0, "FrameLinkInfo1"},
                 {PAGE_AP_INFO, "FrameAPInfo1"},
                 {5, "FrameAPInfo1"},
                 {11, "FrameAPInfo1"}};
    for (const auto& c : cases) {
        PostNotify(&Main(), NM_SHOW_PAGE, c.code);
        QCoreApplication::processEvents();
        EXPECT_EQ(Main().CurrentPage(), Page(c.page)) << "code " << c.code;
    }
}

TEST_F(FormMainTest, RefusedPageKeepsTheCurrentPageAndColours)
{
    // Without an adapter the Profile page cannot take a scanned network and refuses to be entered.
    ClickTab("LbSiteSurvey");
    EXPECT_EQ(SendNotify(&Main(), NM_EDIT_SCANNED, 512), 0);
    EXPECT_EQ(Main().CurrentPage(), Page("FrameSurvey1"));
    EXPECT_EQ(Main().CurrentTab(), Tab("LbSiteSurvey"));
    EXPECT_EQ(Tab("LbSiteSurvey")->FontCrNormal(), QColor(Qt::white));
    EXPECT_EQ(Tab("LbProfile")->FontCrNormal(), TAB_NORMAL);
    EXPECT_TRUE(Page("FrameSurvey1")->isVisibleTo(&Main()));
    EXPECT_FALSE(Page("FrameProfile1")->isVisibleTo(&Main()));

    StartWithAdapter(0);
    ClickTab("LbSiteSurvey");
    SendNotify(&Main(), NM_EDIT_SCANNED, 512);
    EXPECT_EQ(Main().CurrentPage(), Page("FrameProfile1"))
        << "with an adapter the network goes to the Profile page";
}

TEST_F(FormMainTest, ModeSwitchWithoutAdapterOnlyChangesTheTabs)
{
    auto* softAP = Child<TTrifaceBtn>("BtnSoftAP");
    EXPECT_FALSE(softAP->isEnabled()) << "no adapter, no switch";
    softAP->setEnabled(true);
    softAP->click();
    EXPECT_EQ(Main().Mode(), 1);
    EXPECT_EQ(Main().CurrentPage(), Page("FrameAPInfo1"));
    EXPECT_TRUE(Tab("LbAPFilter")->isVisibleTo(&Main()));
    EXPECT_FALSE(Tab("LbProfile")->isVisibleTo(&Main()));
    EXPECT_EQ(Main().TrayIconMain()->IconIndex(), int(TFormMain::tiSoftAP));
    ClickTab("LbAPCfg");
    softAP->click();
    EXPECT_EQ(Main().CurrentPage(), Page("FrameAPCfg1")) << "the current mode's button does nothing";
    EXPECT_FALSE(Log().contains("Connect last"));
}

// Without an adapter both buttons were drawn with the unselected face.
TEST_F(FormMainTest, WithoutAdapterTheModeButtonsStillShowTheCurrentMode)
{
    auto* station = Child<TTrifaceBtn>("BtnStation");
    auto* softAP = Child<TTrifaceBtn>("BtnSoftAP");
    Main().show();
    ASSERT_FALSE(station->isEnabled() || softAP->isEnabled());
    const QImage selected = station->grab().toImage();
    const QImage unselected = softAP->grab().toImage();
    EXPECT_NE(selected, unselected);
    Main().SetMode(1);
    EXPECT_EQ(softAP->grab().toImage(), selected);
    EXPECT_EQ(station->grab().toImage(), unselected);
}

TEST_F(FormMainTest, PluggedAdapterIsSelectedAndConnectedWithTheLastProfile)
{
    StartWithAdapter(0);
    EXPECT_TRUE(WaitFor([&] { return Log().contains("Connect last => Default\r\n"); }));
    EXPECT_TRUE(
        Log().contains("Select Dev: <Tessaro 802.11a/b/g USB Wireless Adapter><USB\\VID_F5E1&PID_0301>"
                       "<9999>\r\n"));
    EXPECT_TRUE(Main().TrayIconMain()->Visible());
    EXPECT_TRUE(Child<TTrifaceBtn>("BtnSoftAP")->isEnabled());
    EXPECT_TRUE(WaitFor([&] { return Main().TrayIconMain()->IconIndex() == TFormMain::tiConnected; }))
        << "the status reports turn the tray icon to connected";

    // Further arrival reports of the same adapter change nothing.
    CNICAdapter* adapter = Main().Adapter();
    PostNotify(&Main(), NM_DEVICE, DEVICE_ARRIVED);
    QCoreApplication::processEvents();
    EXPECT_EQ(Main().Adapter(), adapter);
    EXPECT_FALSE(Main().Closing());
    EXPECT_EQ(LogCount("Select Dev:"), 1);
}

TEST_F(FormMainTest, ModeSwitchWithAdapterStartsTheAccessPointAndIsRemembered)
{
    StartWithAdapter(0);
    Child<TTrifaceBtn>("BtnSoftAP")->click();
    EXPECT_EQ(Main().Mode(), 1);
    EXPECT_TRUE(WaitFor([&] { return Log().contains("Connect last => Default_SoftAP\r\n"); }));
    EXPECT_EQ(Main().Adapter()->ReadSet("OperateMode", 0), 1);
    EXPECT_TRUE(WaitFor([&] { return Main().TrayIconMain()->IconIndex() == TFormMain::tiSoftAP; }));
    Child<TTrifaceBtn>("BtnStation")->click();
    EXPECT_EQ(Main().Mode(), 0);
    EXPECT_EQ(Main().CurrentPage(), Page("FrameLinkInfo1"));
    EXPECT_EQ(LogCount("Connect last => Default\r\n"), 2);
}

// Most sessions never show the Soft AP pages: each is made when its tab is first shown, and one made after
// the adapter was attached in Soft AP mode must show the adapter as one made at start would.
TEST_F(FormMainTest, SoftAPPagesAreMadeWhenFirstShownAndCatchUpWithTheAdapter)
{
    const char* const pages[] = {"FrameAPInfo1", "FrameAPCfg1", "FrameAPFilter1"};
    StartWithAdapter(0);
    Main().show();
    for (const char* name : pages)
        EXPECT_EQ(Page(name), nullptr) << name << " made at start";
    // Shown in station mode, the page is made but does not take the station's adapter.
    PostNotify(&Main(), NM_SHOW_PAGE, PAGE_AP_INFO);
    QCoreApplication::processEvents();
    ASSERT_NE(Page("FrameAPInfo1"), nullptr);
    EXPECT_FALSE(Page("FrameAPInfo1")->findChild<QWidget*>("BtnRefresh")->isEnabled());

    QTest::mouseClick(Child<TTrifaceBtn>("BtnSoftAP"), Qt::LeftButton);
    ASSERT_EQ(Main().Mode(), 1);
    EXPECT_TRUE(Page("FrameAPInfo1")->findChild<QWidget*>("BtnRefresh")->isEnabled());
    EXPECT_EQ(Page("FrameAPCfg1"), nullptr) << "made before its tab is shown";
    ClickTab("LbAPCfg");
    ClickTab("LbAPFilter");
    for (const char* name : pages)
        ASSERT_NE(Page(name), nullptr) << name;
    // What a page made at start would show: the adapter's first Soft AP profile, else its default one.
    TProfileList stored;
    Main().Session()->Adapter()->GetProfileList(PROF_SOFTAP, stored);
    const WLProfile softAP = stored.empty() ? Main().Session()->Adapter()->DefAPProfile() : *stored.front();
    auto* ssid = Page("FrameAPCfg1")->findChild<QLineEdit*>("EdtSSID");
    EXPECT_TRUE(ssid->isEnabled());
    EXPECT_EQ(ssid->text(), BytesText(softAP.Ssid1, sizeof softAP.Ssid1));
    EXPECT_GT(Page("FrameAPCfg1")->findChild<QComboBox*>("CmbMode")->count(), 0) << "the adapter's bands";
    EXPECT_TRUE(Page("FrameAPFilter1")->findChild<QComboBox*>("CmbType")->isEnabled());

    // Readers and the layout walk the pages in the window's designed order, late ones included.
    QTest::mouseClick(Child<TTrifaceBtn>("BtnStation"), Qt::LeftButton);
    ClickTab("LbAdapter");
    ClickTab("LbSiteSurvey");
    ClickTab("LbProfile");
    QStringList order;
    for (QWidget* w : OwnedControls(&Main()))
        if (qobject_cast<TPropertyPageFrame*>(w))
            order << w->objectName();
    EXPECT_EQ(order.join(' ').toStdString(),
              "FrameAPInfo1 FrameAPCfg1 FrameAPFilter1 FrameLinkInfo1 FrameSurvey1 "
              "FrameProfile1 FrameAdapter1");
}

// The start makes Link Info only: Profile, Site Survey and Adapter are made when their tabs are first shown,
// and they then show the adapter as pages made at start would.
TEST_F(FormMainTest, StationPagesBeyondTheFirstAreMadeWhenFirstShown)
{
    EXPECT_EQ(Page("FrameProfile1"), nullptr) << "made before any adapter";
    StartWithAdapter(0);
    Main().show();
    ASSERT_TRUE(WaitFor([&] { return Log().contains("Connect last => Default\r\n"); }));
    EXPECT_EQ(Page("FrameSurvey1"), nullptr) << "made at start";
    EXPECT_EQ(Page("FrameAdapter1"), nullptr) << "made at start";
    EXPECT_EQ(Page("FrameProfile1"), nullptr) << "made only to connect with the last profile";

    // Made after the connect began, Profile still marks the profile it applied.
    ClickTab("LbProfile");
    ASSERT_NE(Page("FrameProfile1"), nullptr);
    auto* profiles = Page("FrameProfile1")->findChild<QTreeWidget*>("LvProf");
    const QList<QTreeWidgetItem*> applied = profiles->findItems("Default", Qt::MatchExactly, 1);
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied[0]->background(1).color(), AppliedRowColor());

    ClickTab("LbSiteSurvey");
    ASSERT_NE(Page("FrameSurvey1"), nullptr);
    EXPECT_EQ(Main().CurrentPage(), Page("FrameSurvey1"));
    auto* sites = Page("FrameSurvey1")->findChild<QTreeWidget*>("LvSite");
    EXPECT_TRUE(WaitFor([&] { return sites->topLevelItemCount() > 0; }, 15000)) << "the networks in range";
    EXPECT_TRUE(WaitFor([&] { return Page("FrameSurvey1")->findChild<QPushButton*>("BtnScan")->isEnabled(); },
                        15000));

    ClickTab("LbAdapter");
    ASSERT_NE(Page("FrameAdapter1"), nullptr);
    EXPECT_TRUE(Page("FrameAdapter1")->isVisibleTo(&Main()));
    EXPECT_FALSE(Page("FrameSurvey1")->isVisibleTo(&Main()));
    EXPECT_GT(Page("FrameAdapter1")->findChild<QComboBox*>("CmbTxRate")->count(), 0) << "the adapter's rates";
    EXPECT_FALSE(Log().contains("names no control"));
}

TEST_F(FormMainTest, ALatePageTakesTheWindowLayoutWhenMade)
{
    testutil::WriteFile(m_Dir.filePath("wlanutil.bin"), "[FormMain_CtrlPos]\nFrameAPCfg1=150,110\n"
                                                        "[FormMain_FrameAPCfg1_Visible]\nChkHide=0\n");
    g_Var.ReadFiles(m_Dir.filePath("wlanutil"));
    Main().SetMode(1);
    EXPECT_FALSE(Log().contains("names no control")) << "a page made later is no unknown name";
    ClickTab("LbAPCfg");
    ASSERT_NE(Page("FrameAPCfg1"), nullptr);
    EXPECT_EQ(Page("FrameAPCfg1")->pos(), QPoint(150, 110));
    EXPECT_EQ(Page("FrameAPCfg1")->size(), Page("FrameLinkInfo1")->size());
    EXPECT_TRUE(Page("FrameAPCfg1")->findChild<QWidget*>("ChkHide")->isHidden());
}

TEST_F(FormMainTest, RemovalClosesTheAdapter)
{
    const struct {
        uint32_t flags;
        bool trayStays;
    } cases[] = {{0, false}, {SF_TRAYICON, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        SimCtl("plug");
        StartWithAdapter(c.flags);
        Main().show();
        SimCtl("unplug");
        ASSERT_TRUE(WaitFor([&] { return Main().Adapter() == nullptr; }));
        EXPECT_FALSE(Main().Closing());
        EXPECT_FALSE(Child<TTrifaceBtn>("BtnSoftAP")->isEnabled());
        EXPECT_EQ(Main().TrayIconMain()->Visible(), c.trayStays);
        EXPECT_EQ(Main().isVisible(), c.trayStays);
        // A second instance's show request reaches the window only with the tray flag.
        Main().hide();
        SendNotify(&Main(), NM_SHOW, 0);
        EXPECT_EQ(Main().isVisible(), c.trayStays);
        m_Main.reset();
    }
}

TEST_F(FormMainTest, ServiceStartAppliesTheLastAppliedProfileAndLeavesTheTrayIcon)
{
    StartWithAdapter(SF_SERVICE);
    EXPECT_TRUE(WaitFor([&] { return Log().contains("CNICAdapter::DoConnect() end"); }));
    EXPECT_FALSE(Log().contains("Connect last"));
    EXPECT_FALSE(Main().TrayIconMain()->Visible());
    EXPECT_EQ(Main().Mode(), 0);
}

TEST_F(FormMainTest, TrayMenuItemsFollowTheSystemAndTheAdapter)
{
    g_Var.OsKind = 5;
    EXPECT_EQ(VisibleMenuItems(), (QStringList{"Start with the desktop", "Close"}));
    g_Var.OsKind = 7;
    EXPECT_EQ(VisibleMenuItems(), (QStringList{"Start with the desktop", "Close"}))
        << "no adapter, no zero configuration item";
    StartWithAdapter(0);
    EXPECT_EQ(VisibleMenuItems(),
              (QStringList{"Window Zero Configuration", "-", "Start with the desktop", "Close"}));
    EXPECT_FALSE(Main().MenuItWZC()->isChecked());
    g_Var.OsKind = 5;
    EXPECT_EQ(VisibleMenuItems(), (QStringList{"Start with the desktop", "Close"}));
}

TEST_F(FormMainTest, StartWithTheDesktopWritesAndRemovesTheAutostartEntry)
{
    const QString entry = m_Dir.filePath("config/autostart/wlanutil.desktop");
    // Opens the tray menu as a right click on the icon does and clicks the entry.
    const auto clickEntry = [this] {
        QMenu* menu = Main().TrayMenu();
        Main().UpdateTrayMenu();
        menu->popup(QPoint(20, 20));
        ASSERT_TRUE(WaitFor([menu] { return menu->isVisible(); }));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(Main().MenuItAutostart()).center());
        ASSERT_TRUE(WaitFor([menu] { return !menu->isVisible(); }));
    };
    clickEntry();
    ASSERT_TRUE(QFileInfo::exists(entry));
    EXPECT_TRUE(testutil::ReadFile(entry).contains(
        "\nExec=\"" + QFile::encodeName(qApp->applicationFilePath()) + "\" --tray\n"));
    Main().UpdateTrayMenu();
    EXPECT_TRUE(Main().MenuItAutostart()->isChecked());
    clickEntry();
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_FALSE(Main().MenuItAutostart()->isChecked());

    // The desktop's own settings may write the entry: the menu shows what is there.
    testutil::WriteFile(entry, "[Desktop Entry]\nExec=wlanutil --tray\n");
    Main().UpdateTrayMenu();
    EXPECT_TRUE(Main().MenuItAutostart()->isChecked());
    clickEntry();
    EXPECT_FALSE(QFileInfo::exists(entry));

    // A file in place of the folder: the user is told, and the entry stays off.
    QDir(m_Dir.filePath("config/autostart")).removeRecursively();
    testutil::WriteFile(m_Dir.filePath("config/autostart"), "");
    TFormMsgBox::SetNextAnswer(mrOk);
    clickEntry();
    EXPECT_EQ(TFormMsgBox::LastShown().Text,
              "The desktop's autostart entry " + entry + " cannot be changed.");
    EXPECT_FALSE(Main().MenuItAutostart()->isChecked());
}

TEST_F(FormMainTest, ZeroConfigurationHidesTheWindowAndTheOpenRequestAsksFirst)
{
    StartWithAdapter(0);
    Main().show();
    Main().MenuItWZC()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Main().Adapter()->EnableZeroCfg() && !Main().isVisible(); }));

    // Cancel leaves the adapter with the system's manager and the window hidden.
    TFormMsgBox::SetNextAnswer(mrCancel);
    Main().MenuItOpen()->trigger();
    EXPECT_EQ(TFormMsgBox::LastShown().Text, "Use Wireless Adapter Utility manage this wireless adapter?");
    EXPECT_FALSE(Main().isVisible());
    EXPECT_TRUE(Main().Adapter()->EnableZeroCfg());

    TFormMsgBox::SetNextAnswer(mrOk);
    Main().MenuItOpen()->trigger();
    EXPECT_TRUE(Main().isVisible());
    EXPECT_TRUE(WaitFor([&] { return !Main().Adapter()->EnableZeroCfg(); }));
}

TEST_F(FormMainTest, AskManagerNeverStacksASecondQuestion)
{
    bool second = true;
    QTimer::singleShot(0, &Main(), [&] {
        second = Main().AskManager(&Main());
        if (TopModalForm())
            TopModalForm()->close();
    });
    EXPECT_FALSE(Main().AskManager(&Main())) << "a closed box is a refusal";
    EXPECT_FALSE(second);
    TFormMsgBox::SetNextAnswer(mrOk);
    EXPECT_TRUE(Main().AskManager(&Main())) << "the question can be asked again";
}

TEST_F(FormMainTest, SaveRequestsReachTheProfilePage)
{
    // Without an adapter nothing is stored; a request with bit 0 set is not a store request.
    EXPECT_EQ(SendNotify(&Main(), NM_SAVE_PROFILE, 0x100), 0);
    EXPECT_EQ(SendNotify(&Main(), NM_SAVE_PROFILE, 1), 0);
    int answer = -1;
    EXPECT_TRUE(QMetaObject::invokeMethod(Page("FrameProfile1"), "SaveProfile", Q_RETURN_ARG(int, answer),
                                          Q_ARG(int, 0)));
    EXPECT_EQ(answer, 0);
}

TEST_F(FormMainTest, ARefusedConnectSaysWhyOnLinkInfoAndInTheTrayHint)
{
    StartWithAdapter(0);
    Main().show();
    ASSERT_TRUE(WaitFor([&] { return Log().contains("Connect last => Default\r\n"); }));
    // The link comes up and its address is renewed, which holds the adapter for seconds: the connect below is
    // timed from an adapter with nothing else to do.
    ASSERT_TRUE(WaitFor([&] { return Log().contains("IPConfig end"); }, 15000));
    // A WPA2-PSK profile for an AES network, left on TKIP, walked through the editor by keys and clicks.
    ClickTab("LbProfile");
    ASSERT_TRUE(ClickButton("BtnAdd"));
    TypeInto("EdtName", "Harbor");
    TypeInto("EdtSSID", "Harbor-Office");
    ASSERT_TRUE(ClickButton("BtnNext"));
    ChooseByKeys("CmbSecurity", 6);
    ASSERT_TRUE(ClickButton("BtnNext"));
    ChooseByKeys("CmbEncryp", 1);
    TypeInto("EdtPhrase", "harbor-2026-office");
    while (!VisibleChild<QPushButton>("BtnSave"))
        ASSERT_TRUE(ClickButton("BtnNext"));
    ASSERT_TRUE(ClickButton("BtnSave"));
    ASSERT_TRUE(WaitFor([&] { return VisibleChild<QPushButton>("BtnActNow") != nullptr; }));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(ClickButton("BtnActNow"));
    auto* line = Child<QLabel>("LblConnectError");
    const QString expected(
        "Could not connect to Harbor-Office: the network uses another security type or cipher");
    ASSERT_TRUE(WaitFor([&] { return line->text() == expected; }, 2000))
        << line->text().toStdString() << " after " << clock.elapsed() << " ms";
    EXPECT_EQ(Main().CurrentPage(), Page("FrameLinkInfo1"));
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(Main().TrayIconMain()->Hint(), expected.left(TTrayIcon::HINT_LIMIT - 2) + QChar(0x2026))
        << "cut to what the tip holds, and marked as cut";
    EXPECT_TRUE(SimCtl("status").contains("wrong security type or cipher"));

    // The next connect that comes up clears the line and the hint.
    ClickTab("LbProfile");
    auto* list = Child<QTreeWidget>("LvProf");
    const QList<QTreeWidgetItem*> rows = list->findItems("Default", Qt::MatchExactly, 1);
    ASSERT_EQ(rows.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(rows.first()).center());
    ASSERT_TRUE(ClickButton("BtnActivate"));
    ASSERT_TRUE(WaitFor([&] { return line->text().isEmpty(); }));
    EXPECT_TRUE(WaitFor([&] { return Main().TrayIconMain()->Hint() == g_Var.AppTitle; }));
}

TEST_F(FormMainTest, WithoutTheSystemsNetworkServiceLinkInfoAndTheTrayHintSayWhy)
{
    Main().show();
    auto* line = Child<QLabel>("LblConnectError");
    const auto tip = [](const QString& text) {
        return text.size() < TTrayIcon::HINT_LIMIT ? text
                                                   : text.left(TTrayIcon::HINT_LIMIT - 2) + QChar(0x2026);
    };
    const struct {
        int state;
        QString text;
    } cases[] = {
        {TSRWL_SERVICE_NO_BUS,
         "No wireless adapter can be used: the system's message bus cannot be reached."},
        {TSRWL_SERVICE_ABSENT,
         "No wireless adapter can be used: the system's network service is not running."},
        {TSRWL_SERVICE_READY, ""},
    };
    for (const auto& c : cases) {
        SendNotify(&Main(), NM_SERVICE, c.state);
        EXPECT_EQ(line->text(), c.text) << c.state;
        EXPECT_EQ(Main().TrayIconMain()->Hint(), c.text.isEmpty() ? g_Var.AppTitle : tip(c.text)) << c.state;
    }
}

TEST_F(FormMainTest, LeavingTheEditorWithUnsavedChangesAsksFirst)
{
    StartWithAdapter(0);
    Main().show();
    ClickTab("LbProfile");
    auto* editor = Child<QWidget>("FrameProfSet1");
    const auto shown = [] { return TFormMsgBox::LastShown().Count; };

    // Nothing changed yet: the tab is left without a question.
    ASSERT_TRUE(ClickButton("BtnAdd"));
    int asked = shown();
    ClickTab("LbLinkInfo");
    EXPECT_EQ(Main().CurrentPage(), Page("FrameLinkInfo1"));
    EXPECT_EQ(shown(), asked);

    ClickTab("LbProfile");
    ASSERT_TRUE(ClickButton("BtnAdd"));
    TypeInto("EdtSSID", "Somewhere");
    TFormMsgBox::SetNextAnswer(mrNo);
    ClickTab("LbLinkInfo");
    EXPECT_EQ(shown(), ++asked);
    EXPECT_TRUE(TFormMsgBox::LastShown().Text.contains("not saved"));
    EXPECT_EQ(Main().CurrentPage(), Page("FrameProfile1")) << "No keeps the editor";
    EXPECT_TRUE(editor->isVisible());
    TFormMsgBox::SetNextAnswer(mrNo);
    QTest::mouseClick(Child<TTrifaceBtn>("BtnSoftAP"), Qt::LeftButton);
    EXPECT_EQ(shown(), ++asked);
    EXPECT_EQ(Main().Mode(), 0) << "No keeps the station mode";
    EXPECT_EQ(VisibleChild<QLineEdit>("EdtSSID")->text(), "Somewhere");

    TFormMsgBox::SetNextAnswer(mrYes);
    ClickTab("LbSiteSurvey");
    EXPECT_EQ(shown(), ++asked);
    EXPECT_EQ(Main().CurrentPage(), Page("FrameSurvey1"));
    ClickTab("LbProfile");
    EXPECT_FALSE(editor->isVisible()) << "Yes discarded the editing";

    // Exit leaves the editor as asked for: no question.
    ASSERT_TRUE(ClickButton("BtnAdd"));
    TypeInto("EdtName", "Other");
    ASSERT_TRUE(ClickButton("BtnExit"));
    ASSERT_TRUE(WaitFor([&] { return !editor->isVisible(); }));
    ClickTab("LbAdapter");
    EXPECT_EQ(Main().CurrentPage(), Page("FrameAdapter1"));
    EXPECT_EQ(shown(), asked);
}

TEST_F(FormMainTest, CloseOnlyHidesUntilTheProgramIsClosed)
{
    Main().show();
    Main().close();
    EXPECT_FALSE(Main().isVisible());
    EXPECT_EQ(SendNotify(&Main(), 6, 0), 0) << "unknown codes are ignored";
    PostNotify(&Main(), NM_CLOSE_ALL, 0);
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0) << "code 9 quits the message loop";
    EXPECT_TRUE(Log().contains("WPM_CLOSEALL\r\n"));
}

namespace {

// Takes the place of the desktop's viewer for the help file.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
public Q_SLOTS:
    void Open(const QUrl& url) { Opened << url; }
};

} // namespace

TEST_F(FormMainTest, HelpOpensTheConfiguredFileBesideTheProgram)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    testutil::WriteFile(m_Dir.filePath("wlanutil-help.html"), "<html></html>");
    Child<TTrifaceBtn>("BtnHelp")->click();
    ASSERT_EQ(catcher.Opened.size(), 1);
    EXPECT_EQ(catcher.Opened[0], QUrl::fromLocalFile(m_Dir.filePath("wlanutil-help.html")));

    testutil::WriteFile(m_Dir.filePath("wlanutil.bin"), "[Setting]\nHelpFile=\n");
    g_Var.ReadFiles(m_Dir.filePath("wlanutil"));
    Child<TTrifaceBtn>("BtnHelp")->click();
    EXPECT_EQ(catcher.Opened.size(), 1) << "no help file configured, nothing opened";
    const int boxes = TFormMsgBox::LastShown().Count;

    // A help file that is not there was handed to the viewer, and nobody told the user.
    testutil::WriteFile(m_Dir.filePath("wlanutil.bin"), "[Setting]\nHelpFile=gone.html\n");
    g_Var.ReadFiles(m_Dir.filePath("wlanutil"));
    TFormMsgBox::SetNextAnswer(mrOk);
    Main().show();
    QTest::mouseClick(Child<TTrifaceBtn>("BtnHelp"), Qt::LeftButton, {}, QPoint(13, 15));
    EXPECT_EQ(catcher.Opened.size(), 1);
    EXPECT_EQ(TFormMsgBox::LastShown().Count, boxes + 1);
    EXPECT_TRUE(TFormMsgBox::LastShown().Text.startsWith(
        QStringLiteral("The help file %1 cannot be opened.\n").arg(m_Dir.filePath("gone.html"))));
    QDesktopServices::unsetUrlHandler("file");
}

#include "tst_formmain.moc"

// Unplugged and plugged in again back to back, or while a connect had device events ignored: the adapter
// object stayed with the device that was gone, and the link stayed down for good.
TEST_F(FormMainTest, AReplugAlwaysEndsConnectedAgainWithTheLastProfile)
{
    for (const bool duringConnect : {false, true}) {
        SCOPED_TRACE(duringConnect ? "during a connect" : "back to back");
        SimCtl("plug");
        StartWithAdapter(0);
        ASSERT_TRUE(WaitFor([&] { return Main().TrayIconMain()->IconIndex() == TFormMain::tiConnected; }));
        const int selected = LogCount("Select Dev:");
        const int connects = LogCount("Connect last => Default\r\n");
        if (duringConnect) {
            SimCtl("slow connect 1500");
            TProfileList list;
            Main().Adapter()->GetProfileList(PROF_STATION, list);
            ASSERT_FALSE(list.empty());
            Main().Adapter()->Connect(*list.front());
            ASSERT_TRUE(WaitFor([&] { return LogCount("Ignore ON") > LogCount("Ignore OFF"); }));
        }
        SimCtl("unplug");
        SimCtl("plug");
        SimCtl("slow connect 0");
        ASSERT_TRUE(WaitFor([&] { return LogCount("Select Dev:") == selected + 1; }, 20000));
        EXPECT_TRUE(WaitFor([&] { return LogCount("Connect last => Default\r\n") == connects + 1; }, 20000));
        EXPECT_TRUE(
            WaitFor([&] { return Main().TrayIconMain()->IconIndex() == TFormMain::tiConnected; }, 20000));
        m_Main.reset();
    }
}

// Scans, renewals and the antenna waited on the window's thread behind a running connect, which holds the
// library for seconds: the window froze.
TEST_F(FormMainTest, TheWindowKeepsAnsweringWhileASlowConnectRuns)
{
    StartWithAdapter(0);
    Main().show();
    ASSERT_TRUE(WaitFor([&] { return Main().TrayIconMain()->IconIndex() == TFormMain::tiConnected; }));
    SimCtl("slow connect 2500");
    TProfileList list;
    Main().Adapter()->GetProfileList(PROF_STATION, list);
    ASSERT_FALSE(list.empty());
    const int connects = LogCount("call TSRWL_SetWLANStatus\r\n");
    Main().Adapter()->Connect(*list.front());
    ASSERT_TRUE(WaitFor([&] { return LogCount("call TSRWL_SetWLANStatus\r\n") > connects; }));

    QElapsedTimer clock;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] { longest = std::max(longest, clock.restart()); });
    clock.start();
    tick.start();
    ClickTab("LbSiteSurvey");
    auto* scan = Page("FrameSurvey1")->findChild<QPushButton*>("BtnScan");
    ASSERT_NE(scan, nullptr);
    if (scan->isEnabled())
        QTest::mouseClick(scan, Qt::LeftButton);
    Main().Adapter()->IPRenew(IP_RELEASE | IP_RENEW);
    // A profile deleted and one added through the editor, by way of the band page and its channels.
    ClickTab("LbProfile");
    TFormMsgBox::SetNextAnswer(mrOk);
    ASSERT_TRUE(ClickButton("BtnDelete"));
    ASSERT_TRUE(ClickButton("BtnAdd"));
    auto* ssid = Page("FrameNetType1")->findChild<QLineEdit*>("EdtSSID");
    ssid->selectAll();
    QTest::keyClicks(ssid, "cell-net");
    QTest::mouseClick(Page("FrameNetType1")->findChild<QWidget*>("LbAdHoc"), Qt::LeftButton);
    ASSERT_TRUE(ClickButton("BtnNext"));
    EXPECT_GT(Page("FrameWlMode1")->findChild<QComboBox*>("CmbChannel")->count(), 0);
    ASSERT_TRUE(ClickButton("BtnNext"));
    ASSERT_TRUE(ClickButton("BtnNext"));
    ASSERT_TRUE(ClickButton("BtnSave"));
    QTest::mouseClick(Child<TTrifaceBtn>("BtnSoftAP"), Qt::LeftButton);
    ClickTab("LbAPCfg");
    ASSERT_NE(Page("FrameAPCfg1"), nullptr);
    EXPECT_GT(Page("FrameAPCfg1")->findChild<QComboBox*>("CmbCh")->count(), 0);
    WaitFor([] { return false; }, 3000);
    tick.stop();
    SimCtl("slow connect 0");
    EXPECT_LT(longest, 500) << "the window's thread never waits for the library";
    EXPECT_TRUE(WaitFor([&] { return LogCount("IPConfig 0x3") == 1; }, 20000))
        << "the renewal ran on the worker";
    const auto changed = [&] {
        return !Main().Adapter()->ProfileExists("Default") && Main().Adapter()->ProfileExists("Default_1");
    };
    EXPECT_TRUE(WaitFor(changed, 20000)) << "the profile changes ran on the worker";
}

TEST_F(FormMainTest, ControlKeysSwitchTheTabsOfTheCurrentMode)
{
    // With the adapter every page has a control to take the focus.
    StartWithAdapter(0);
    Main().show();
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    const auto key = [this](Qt::Key k, Qt::KeyboardModifiers mods) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &Main(), k, mods);
        return Main().CurrentTab()->objectName();
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier,
                                ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const struct {
        Qt::Key Key;
        Qt::KeyboardModifiers Mods;
        const char* Tab;
    } steps[] = {
        {Qt::Key_Tab, ctrl, "LbSiteSurvey"},
        {Qt::Key_Tab, ctrl, "LbProfile"},
        {Qt::Key_4, ctrl, "LbAdapter"},
        {Qt::Key_Tab, ctrl, "LbLinkInfo"}, // wraps round
        {Qt::Key_Backtab, ctrlShift, "LbAdapter"},
        {Qt::Key_Tab, ctrlShift, "LbProfile"},
        {Qt::Key_1, ctrl, "LbLinkInfo"},
        {Qt::Key_3, ctrl, "LbProfile"},
    };
    // The focus goes from page to page, never by the mode switch or the help button: a reader would say them.
    QStringList strays;
    auto watch = QObject::connect(qApp, &QApplication::focusChanged, &Main(), [&](QWidget*, QWidget* now) {
        QWidget* page = now;
        while (page && !qobject_cast<TPropertyPageFrame*>(page))
            page = page->parentWidget();
        if (!page)
            strays << Main().CurrentTab()->objectName() + ':' +
                          (now ? now->objectName() : QStringLiteral("nothing"));
    });
    for (const auto& s : steps)
        EXPECT_EQ(key(s.Key, s.Mods), QLatin1String(s.Tab)) << s.Key;
    QObject::disconnect(watch);
    EXPECT_TRUE(strays.isEmpty()) << strays.join(' ').toStdString();
    EXPECT_TRUE(Page("FrameProfile1")->isAncestorOf(QApplication::focusWidget()))
        << "the focus follows onto the page shown";

    Main().SetMode(1);
    EXPECT_EQ(key(Qt::Key_Tab, ctrl), "LbAPCfg");
    EXPECT_EQ(key(Qt::Key_4, ctrl), "LbAPCfg") << "the Soft AP mode has three tabs";
    EXPECT_EQ(key(Qt::Key_3, ctrl), "LbAPFilter");
}

TEST_F(FormMainTest, EveryControlOfEveryPageHasAnAccessibleNameAndRole)
{
    Main().show();
    // The Soft AP pages are made when their tabs are first shown.
    Main().SetMode(1);
    ClickTab("LbAPCfg");
    ClickTab("LbAPFilter");
    Main().SetMode(0);
    ClickTab("LbSiteSurvey");
    ClickTab("LbAdapter");
    ClickTab("LbProfile");
    // The editor makes its pages when first wanted and readies them for a reader when they are entered; here
    // all of them are made and readied.
    TFrameProfSet* editor = Main().findChild<TFrameProfile*>()->Editor();
    for (int slot = 0; slot < EDITOR_SLOT_COUNT; ++slot)
        editor->Page(TEditorSlot(slot));
    PrepareControls(editor);
    // The first kind a widget is of decides the roles it may report.
    const struct {
        const char* Kind;
        std::vector<QAccessible::Role> Roles;
    } kinds[] = {
        {"QCheckBox", {QAccessible::CheckBox}},
        {"QRadioButton", {QAccessible::RadioButton}},
        // The mode switch is a pair of radio buttons.
        {"QPushButton", {QAccessible::Button, QAccessible::RadioButton}},
        {"QLineEdit", {QAccessible::EditableText}},
        {"QComboBox", {QAccessible::ComboBox}},
        {"TSortLv", {QAccessible::Tree, QAccessible::List, QAccessible::Table}},
        {"TTrifaceLabel", {QAccessible::PageTab}},
        {"TLevelRow", {QAccessible::ProgressBar}},
    };
    std::map<QString, int> checked;
    std::set<std::pair<QWidget*, QString>> editNames;
    for (QWidget* w : Main().findChildren<QWidget*>()) {
        const auto* kind = std::find_if(std::begin(kinds), std::end(kinds),
                                        [w](const auto& k) { return w->inherits(k.Kind); });
        // Unnamed widgets are the toolkit's parts (a list box's edit), except the lamp rows. The editor
        // container's own navigation buttons are never shown; its pages carry their own.
        const bool part = w->objectName().isEmpty() && !w->inherits("TLevelRow");
        if (kind == std::end(kinds) || part || w->parentWidget()->inherits("TFrameProfSet"))
            continue;
        ++checked[QLatin1String(kind->Kind)];
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_TRUE(a);
        const std::string where =
            w->parentWidget()->objectName().toStdString() + "/" + w->objectName().toStdString();
        EXPECT_NE(std::find(kind->Roles.begin(), kind->Roles.end(), a->role()), kind->Roles.end())
            << where << " reports role " << a->role();
        // Here a list box is named by its current item; its caption reaches a reader as its label.
        if (qobject_cast<QComboBox*>(w)) {
            const auto labels = a->relations(QAccessible::Label);
            ASSERT_EQ(labels.size(), 1) << where;
            EXPECT_FALSE(labels.first().first->text(QAccessible::Name).trimmed().isEmpty()) << where;
            continue;
        }
        const QString name = a->text(QAccessible::Name).trimmed();
        EXPECT_FALSE(name.isEmpty()) << where;
        // Edits sharing one caption (the four WEP keys) must still be told apart.
        if (qobject_cast<QLineEdit*>(w)) {
            EXPECT_TRUE(editNames.emplace(w->parentWidget(), name).second)
                << where << " repeats " << name.toStdString();
        }
    }
    for (const auto& kind : kinds)
        EXPECT_GT(checked[QLatin1String(kind.Kind)], 0) << kind.Kind;
    EXPECT_GT(checked["QPushButton"], 40);
    for (const auto& [mode, checkedButton] : {std::pair{1, "BtnSoftAP"}, std::pair{0, "BtnStation"}}) {
        Main().SetMode(mode);
        for (const char* button : {"BtnSoftAP", "BtnStation"}) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Child<QWidget>(button));
            EXPECT_EQ(a->role(), QAccessible::RadioButton) << button;
            EXPECT_EQ(a->state().checked, std::string(button) == checkedButton)
                << button << " in mode " << mode;
        }
    }
}
