// The pages from the keyboard alone and as a screen reader reads them, on the simulated adapter: a whole
// profile added and activated without a mouse event, Enter and Escape, the tab order, caption labels that
// toggle their boxes, and the Link Info's values and lamp rows.
#include "app/Udefine.h"
#include "controls/Levelrow.h"
#include "controls/Sortlv.h"
#include "editorfixture.h"
#include "pagefixture.h"
#include "testutil.h"
#include "ui/Uformbase.h"
#include "ui/Uformmsgbox.h"
#include "ui/Ukeyboard.h"
#include "ui/pages/Uframelinkinfo.h"
#include "ui/pages/Uframeprofile.h"
#include "ui/pages/Uframeprofset.h"
#include "ui/pages/Uframewireless.h"
#include "ui/pages/Upagetools.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <type_traits>

using testutil::WaitFor;

namespace {

QString FocusName()
{
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QStringLiteral("<nothing>");
}

// A key pressed on whatever has the focus, as the keyboard sends it.
void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget* w = QApplication::focusWidget();
    ASSERT_TRUE(w) << "nothing has the focus";
    QTest::keyClick(w, key, mods);
}

// Tab until the control of that name has the focus; false after a whole round without it.
bool TabTo(const char* name, int limit = 40)
{
    for (int i = 0; i < limit && FocusName() != QLatin1String(name); ++i)
        Press(Qt::Key_Tab);
    return FocusName() == QLatin1String(name);
}

// Picks the item carrying `value` of the focused closed list with the arrow keys.
void PickByArrows(int value)
{
    auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_TRUE(combo) << FocusName().toStdString() << " is no list";
    ASSERT_GE(combo->findData(value), 0);
    Press(Qt::Key_Home);
    for (int i = 0; i < combo->count() && combo->currentData().toInt() != value; ++i)
        Press(Qt::Key_Down);
    ASSERT_EQ(combo->currentData().toInt(), value);
}

void TypeKeys(const QString& text)
{
    Press(Qt::Key_A, Qt::ControlModifier);
    Press(Qt::Key_Delete);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

bool Activate(QWidget& w)
{
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

class KeyboardProfileTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_Page = new TFrameProfile;
        Host(m_Page);
        m_Main.Answer = [this](int code, int value) { return code == 5 ? m_Page->SaveProfile(value) : 0; };
        ASSERT_TRUE(Activate(m_Main));
    }
    QString PageName() const
    {
        TPropertyPageFrame* p = m_Page->Editor()->CurrentPage();
        return m_Page->Editor()->isVisible() && p ? p->objectName() : QStringLiteral("list");
    }
    bool Connected(const char* profile)
    {
        return WaitFor(
            [&] {
                NetworkInfo info{};
                m_Adapter->GetNetInfo(info);
                return PageTest::Connected() && QString::fromUtf8(info.sz_CurProfile) == profile;
            },
            15000);
    }

    TFrameProfile* m_Page = nullptr;
};

} // namespace

TEST_F(KeyboardProfileTest, AWpa2PskProfileIsAddedAndActivatedWithTheKeyboardAlone)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    ASSERT_TRUE(TabTo("BtnAdd"));
    Press(Qt::Key_Space);
    ASSERT_EQ(PageName(), "FrameNetType1");
    EXPECT_EQ(FocusName(), "EdtName") << "a page just shown takes the keys at once";
    EXPECT_TRUE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->hasSelectedText())
        << "typing replaces the proposed name";
    // From page to page the focus goes straight to the next page, not by a control of the window beside it
    // (the main window's mode switch): a reader would announce every stop.
    auto* beside = new QPushButton(&m_Main);
    beside->setObjectName("Beside");
    beside->show();
    QStringList strays;
    auto watch = QObject::connect(qApp, &QApplication::focusChanged, m_Page, [&](QWidget*, QWidget* now) {
        if (!now || !m_Page->Editor()->isAncestorOf(now))
            strays << (now ? now->objectName() : QStringLiteral("nothing"));
    });
    TypeKeys(QStringLiteral("Keys"));
    Press(Qt::Key_Tab);
    ASSERT_EQ(FocusName(), "EdtSSID");
    TypeKeys(QStringLiteral("Secure-Net"));
    Press(Qt::Key_Return);
    QStringList path{QStringLiteral("FrameNetType1")};
    for (int step = 0; step < 6 && PageName() != QLatin1String("FrameActive1"); ++step) {
        const QString page = PageName();
        path << page;
        if (page == QLatin1String("FrameSecurity1")) {
            ASSERT_TRUE(TabTo("CmbSecurity"));
            PickByArrows(6);
        } else if (page == QLatin1String("FrameWPAPSK1")) {
            ASSERT_TRUE(TabTo("CmbEncryp"));
            PickByArrows(2);
            ASSERT_TRUE(TabTo("EdtPhrase"));
            TypeKeys(QStringLiteral("correct-horse-battery"));
        }
        Press(Qt::Key_Return);
        // Save waits for the adapter's worker to store the profile, and Enter pressed again meanwhile must
        // not reach Exit beside it.
        if (page == QLatin1String("FrameConfirm1")) {
            EXPECT_NE(FocusName(), "BtnExit");
            ASSERT_TRUE(WaitFor([&] { return PageName() != page; }));
        }
    }
    EXPECT_EQ(path.first(), "FrameNetType1");
    EXPECT_TRUE(path.contains("FrameWPAPSK1")) << path.join(' ').toStdString();
    ASSERT_EQ(PageName(), "FrameActive1")
        << path.join(' ').toStdString() << ", focus on " << FocusName().toStdString();
    EXPECT_EQ(FocusName(), "BtnActNow") << "Enter presses Activate Now";
    QObject::disconnect(watch);
    EXPECT_TRUE(strays.isEmpty()) << strays.join(' ').toStdString();
    Press(Qt::Key_Return);
    EXPECT_TRUE(Connected("Keys"));
    EXPECT_EQ(m_Page->Editor()->Profile().EncryptionMethod, 6u);
}

TEST_F(KeyboardProfileTest, EscapeLeavesTheEditorAndEnterOnAProfileActivatesIt)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    ASSERT_TRUE(TabTo("BtnAdd"));
    Press(Qt::Key_Return);
    ASSERT_EQ(PageName(), "FrameNetType1");
    // A control of the window beside the page, as the main window has.
    auto* beside = new QPushButton(&m_Main);
    beside->setObjectName("Beside");
    beside->show();
    m_Main.Received.clear();
    Press(Qt::Key_Escape);
    // Exit asks the window to show the page the editor was opened from.
    ASSERT_TRUE(WaitFor([&] {
        return std::count(m_Main.Received.begin(), m_Main.Received.end(), std::pair{10, 2}) == 1;
    }));
    m_Page->EnterPage(nullptr, 0, 0);
    ASSERT_EQ(PageName(), "list");
    EXPECT_EQ(FocusName(), "LvProf") << "the list takes the focus from the editor";

    auto* list = m_Page->findChild<TSortLv*>("LvProf");
    ASSERT_TRUE(WaitFor([&] { return list->topLevelItemCount() > 0; }));
    ASSERT_TRUE(TabTo("LvProf"));
    Press(Qt::Key_Home);
    const QString name = list->currentItem()->text(1);
    EXPECT_FALSE(list->currentItem()->data(0, Qt::AccessibleTextRole).toString().isEmpty());
    Press(Qt::Key_Return);
    EXPECT_TRUE(Connected(name.toUtf8().constData()));
    // The active profile is told by more than its row's colour.
    EXPECT_TRUE(WaitFor([&] {
        return list->currentItem()->data(0, Qt::AccessibleTextRole).toString().startsWith("Active, ");
    })) << list->currentItem()->data(0, Qt::AccessibleTextRole).toString().toStdString();
}

TEST_F(KeyboardProfileTest, TabFollowsTheReadingOrderOfThePageAndReachesEveryButton)
{
    Attach();
    ASSERT_TRUE(TabTo("BtnAdd"));
    Press(Qt::Key_Return);
    ASSERT_EQ(PageName(), "FrameNetType1");
    QStringList order;
    for (int i = 0; i < 30 && !order.contains(FocusName()); ++i) {
        order << FocusName();
        Press(Qt::Key_Tab);
    }
    const QStringList expected{"EdtName", "EdtSSID", "RBtnInfra", "LvSite", "BtnNext", "BtnExit"};
    qsizetype last = -1;
    for (const QString& name : expected) {
        const qsizetype at = order.indexOf(name);
        EXPECT_GT(at, last) << name.toStdString() << " in " << order.join(' ').toStdString();
        last = std::max(last, at);
    }
    for (QPushButton* button : m_Page->Editor()->CurrentPage()->findChildren<QPushButton*>())
        if (button->isVisible() && button->isEnabled()) {
            EXPECT_TRUE(order.contains(button->objectName())) << button->objectName().toStdString();
        }
    // Shift+Tab walks back the same way.
    Press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(), order.last());
    // Scan, pressed from the keyboard, waits disabled; the focus stays on the page, on the list it fills.
    auto* scan = m_Page->Editor()->CurrentPage()->findChild<QPushButton*>("BtnScan");
    ASSERT_TRUE(WaitFor([&] { return scan->isEnabled(); }, 15000));
    ASSERT_TRUE(TabTo("BtnScan"));
    Press(Qt::Key_Space);
    EXPECT_FALSE(scan->isEnabled());
    EXPECT_EQ(FocusName(), "LvSite");
}

class KeyboardBandTest : public EditorPageTest {};

TEST_F(KeyboardBandTest, TheBandCaptionsToggleTheirBoxesAndNameThem)
{
    WriteSettings("[Setting]\nSupportMode=14\n");
    auto* page = new TFrameWireless(m_Profile);
    Open(page);
    ASSERT_TRUE(Activate(m_Main));
    auto* box = page->findChild<QCheckBox*>("ChkBand2");
    auto* caption = page->findChild<QLabel*>("LbBand2");
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name), "5 GHz");
    const bool was = box->isChecked();
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_NE(box->isChecked(), was) << "a click on the caption";
    EXPECT_TRUE(box->hasFocus());
    Press(Qt::Key_Space);
    EXPECT_EQ(box->isChecked(), was) << "Space on the box";
    QTest::mouseClick(caption, Qt::LeftButton, {}, QPoint(caption->width() + 5, 2));
    EXPECT_EQ(box->isChecked(), was) << "a release outside the caption is no click";
}

class KeyboardLinkInfoTest : public PageTest {};

TEST_F(KeyboardLinkInfoTest, ValuesAreReadWithTheirCaptionsAndLampRowsAsLevels)
{
    auto* page = new TFrameLinkInfo;
    Host(page);
    Attach();
    ConnectTo("Secure-Net", "Reader");
    auto* ssid = page->findChild<QLabel*>("LblSSID");
    ASSERT_TRUE(WaitFor([&] { return ssid->text() == "Secure-Net"; }, 15000));
    const QString caption = page->findChild<QLabel*>("LbSSID")->text().remove(':').trimmed();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(ssid)->text(QAccessible::Name),
              caption + QStringLiteral(": Secure-Net"));
    const QList<TLevelRow*> rows = page->findChildren<TLevelRow*>();
    ASSERT_EQ(rows.size(), 2);
    for (TLevelRow* row : rows) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(row);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty());
        EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("%1 of 10").arg(row->Level()));
        EXPECT_GT(row->Level(), 0);
    }
}

namespace {

template <class T> T* Put(QWidget* parent, const char* name, QRect geometry, const QString& text = QString())
{
    auto* w = new T(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(geometry);
    if constexpr (std::is_base_of_v<QLabel, T> || std::is_base_of_v<QAbstractButton, T>)
        w->setText(text);
    return w;
}

} // namespace

TEST(ControlNames, CaptionsBesideOrAboveNameTheirControls)
{
    QWidget page;
    page.resize(400, 300);
    // A caption sized to its text ends well before its list box; a heading above another edit is too far.
    Put<QLabel>(&page, "LbHeading", {10, 0, 300, 18}, QStringLiteral("Settings"));
    Put<QLabel>(&page, "LbMode", {10, 40, 80, 16}, QStringLiteral("Mode:"));
    auto* mode = Put<QComboBox>(&page, "CmbMode", {200, 37, 100, 22});
    Put<QLabel>(&page, "LbName", {10, 70, 100, 18}, QStringLiteral("Profile Name"));
    auto* name = Put<QLineEdit>(&page, "EdtName", {10, 90, 200, 22});
    auto* far = Put<QLineEdit>(&page, "EdtFar", {10, 160, 200, 22});
    auto* box = Put<QCheckBox>(&page, "ChkHide", {10, 200, 16, 18});
    auto* caption = Put<QLabel>(&page, "LbHide", {30, 200, 100, 18}, QStringLiteral("Hide SSID"));
    Put<QLabel>(&page, "LbValue", {230, 90, 40, 18}, QStringLiteral("x"));
    Put<QLabel>(&page, "LblValue", {280, 90, 40, 18}, QStringLiteral("7"));
    auto* next = Put<QPushButton>(&page, "BtnNext", {300, 260, 80, 24});
    PrepareControls(&page);

    EXPECT_EQ(mode->accessibleName(), "Mode");
    EXPECT_EQ(page.findChild<QLabel*>("LbMode")->buddy(), mode);
    EXPECT_EQ(name->accessibleName(), "Profile Name");
    EXPECT_TRUE(far->accessibleName().isEmpty()) << far->accessibleName().toStdString();
    EXPECT_EQ(box->accessibleName(), "Hide SSID");
    EXPECT_TRUE(next->accessibleName().isEmpty()) << "a plain button is named by its own text";
    page.show();
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_TRUE(box->isChecked());
    PrepareControls(&page);
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked()) << "preparing twice must not toggle twice";
}

TEST(TabOrder, RowsFromTheTopEachFromTheLeft)
{
    QWidget window;
    window.resize(400, 300);
    // Added out of order; the buttons of one row differ in height by a few pixels.
    Put<QPushButton>(&window, "Exit", {300, 262, 60, 20});
    Put<QLineEdit>(&window, "Second", {10, 60, 200, 22});
    Put<QPushButton>(&window, "Next", {220, 260, 60, 24});
    Put<QLineEdit>(&window, "First", {10, 20, 200, 22});
    Put<QPushButton>(&window, "Back", {140, 261, 60, 22});
    auto* inner = Put<QWidget>(&window, "Inner", {0, 100, 400, 100});
    Put<QLineEdit>(inner, "Nested", {10, 10, 100, 22});
    ArrangeTabOrder(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.findChild<QWidget*>("First")->setFocus();
    QStringList order{FocusName()};
    for (int i = 0; i < 5; ++i) {
        Press(Qt::Key_Tab);
        order << FocusName();
    }
    EXPECT_EQ(order, (QStringList{"First", "Second", "Nested", "Back", "Next", "Exit"}));
}

// Enter on a row of the scan list used to go on to the next page with the network "ANY"; Select stayed
// disabled until an arrow key moved the selection; Escape threw the edits away without asking.
TEST_F(KeyboardProfileTest, TheScanListTakesANetworkByKeysAndEscapeAsksBeforeDiscarding)
{
    WriteSettings("[Setting]\nInitConnect=0\n");
    Attach();
    ASSERT_TRUE(TabTo("BtnAdd"));
    Press(Qt::Key_Space);
    ASSERT_EQ(PageName(), "FrameNetType1");
    TPropertyPageFrame* page = m_Page->Editor()->CurrentPage();
    auto* list = page->findChild<TSortLv*>("LvSite");
    auto* select = page->findChild<QPushButton*>("BtnSelect");
    auto* scan = page->findChild<QPushButton*>("BtnScan");
    ASSERT_TRUE(WaitFor([&] { return scan->isEnabled(); }, 15000));
    ASSERT_TRUE(TabTo("BtnScan"));
    Press(Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return scan->isEnabled() && list->topLevelItemCount() > 1; }, 15000));
    ASSERT_TRUE(TabTo("LvSite"));
    Press(Qt::Key_Home);
    EXPECT_TRUE(select->isEnabled()) << "Home puts the keys on the first row";
    const QString network = list->currentItem()->text(1);
    ASSERT_FALSE(network.isEmpty());
    Press(Qt::Key_Return);
    EXPECT_EQ(PageName(), "FrameNetType1") << "Enter on a row takes it; it does not go on";
    EXPECT_EQ(page->findChild<QLineEdit*>("EdtSSID")->text(), network);
    EXPECT_EQ(FocusName(), "LvSite");

    const int asked = TFormMsgBox::LastShown().Count;
    TFormMsgBox::SetNextAnswer(mrNo);
    Press(Qt::Key_Escape);
    EXPECT_EQ(TFormMsgBox::LastShown().Count, asked + 1) << "Escape asks, as leaving the page does";
    EXPECT_EQ(TFormMsgBox::LastShown().Style, PM_YES_NO_DEFAULT_NO)
        << "No, keeping the edits, is the default";
    EXPECT_EQ(PageName(), "FrameNetType1");
    m_Main.Received.clear();
    TFormMsgBox::SetNextAnswer(mrYes);
    Press(Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] {
        return std::count(m_Main.Received.begin(), m_Main.Received.end(), std::pair{10, 2}) == 1;
    }));
}
