// The main window from the keyboard alone and as a screen reader sees it: one Tab order per page whatever was
// shown before, the page tabs as a tab list, and the mode switch that arrow keys only move across.
#include "controls/Trifacebtn.h"
#include "controls/Trifacelabel.h"
#include "mainfixture.h"
#include "testutil.h"
#include "ui/Propertypageframeunit.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <vector>

using testutil::WaitFor;

namespace {

class MainKeysTest : public FormMainTest {
protected:
    void Show()
    {
        StartWithAdapter(0);
        Main().show();
        Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
        ASSERT_TRUE(WaitFor([&] { return Child<QWidget>("BtnSoftAP")->isEnabled(); }));
    }
    static QString FocusName()
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w->objectName() : QStringLiteral("<nothing>");
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* w = QApplication::focusWidget();
        QTest::keyClick(w ? w : &Main(), key, mods);
    }
    // One round of Tab from the focus, written from the help button on so that rounds begun anywhere compare.
    QStringList TabRound()
    {
        QStringList round;
        for (int i = 0; i < 80 && !round.contains(FocusName()); ++i) {
            round << FocusName();
            Key(Qt::Key_Tab);
        }
        const qsizetype help = round.indexOf("BtnHelp");
        return help < 0 ? round : round.mid(help) + round.mid(0, help);
    }
};

} // namespace

// The order used to follow whatever pages had been made: after Ctrl+4, Ctrl+2, Ctrl+3 Tab skipped from the
// Profile list past the mode switch to Activate, and Enter there connected instead of opening Add.
TEST_F(MainKeysTest, EachPageHasOneTabOrderWhateverWasShownBefore)
{
    Show();
    const struct {
        const char* Page;
        std::vector<Qt::Key> History; // Ctrl with these keys, the page's own last
    } walks[] = {
        {"LbProfile", {Qt::Key_3}},
        {"LbProfile", {Qt::Key_4, Qt::Key_2, Qt::Key_3}},
        {"LbProfile", {Qt::Key_2, Qt::Key_1, Qt::Key_4, Qt::Key_3}},
        {"LbAdapter", {Qt::Key_4}},
        {"LbAdapter", {Qt::Key_3, Qt::Key_2, Qt::Key_1, Qt::Key_4}},
        {"LbSiteSurvey", {Qt::Key_2}},
        {"LbSiteSurvey", {Qt::Key_4, Qt::Key_3, Qt::Key_2}},
        {"LbLinkInfo", {Qt::Key_1}},
        {"LbLinkInfo", {Qt::Key_3, Qt::Key_4, Qt::Key_1}},
    };
    std::map<std::string, QStringList> first;
    for (const auto& walk : walks) {
        for (Qt::Key key : walk.History)
            Key(key, Qt::ControlModifier);
        ASSERT_EQ(Main().CurrentTab()->objectName(), walk.Page);
        const QStringList round = TabRound();
        const auto [known, isNew] = first.emplace(walk.Page, round);
        EXPECT_EQ(round, known->second) << walk.Page << " after " << walk.History.size() << " pages";
        // The window's controls, the selected tab, the page's, then the mode chosen.
        EXPECT_EQ(round.mid(0, 3), (QStringList{"BtnHelp", "BtnAbout", walk.Page}));
        EXPECT_EQ(round.last(), "BtnStation") << round.join(' ').toStdString();
    }
    EXPECT_EQ(first["LbProfile"], (QStringList{"BtnHelp", "BtnAbout", "LbProfile", "LvProf", "BtnActivate",
                                               "BtnAdd", "BtnDelete", "BtnEdit", "BtnStation"}));
}

TEST_F(MainKeysTest, TheMacFilterIsWalkedColumnByColumn)
{
    Show();
    QTest::mouseClick(Child<QWidget>("BtnSoftAP"), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return Log().contains("Connect last => Default_SoftAP\r\n"); }));
    Key(Qt::Key_3, Qt::ControlModifier);
    ASSERT_EQ(Main().CurrentTab()->objectName(), "LbAPFilter");
    // Allow only the listed stations: the address edits take input.
    ChooseByKeys("CmbType", 1);
    ASSERT_TRUE(WaitFor([&] { return Child<QWidget>("Edt16")->isEnabled(); }));
    Child<QWidget>("CmbType")->setFocus();
    QStringList expected{"BtnHelp", "BtnAbout", "LbAPFilter", "CmbType"};
    for (int n = 1; n <= 16; ++n)
        expected << QStringLiteral("Edt%1").arg(n);
    expected << "BtnSave"
             << "BtnCancel"
             << "BtnSoftAP";
    EXPECT_EQ(TabRound(), expected);
}

TEST_F(MainKeysTest, PageTabsAreATabListWalkedByArrowKeys)
{
    Show();
    auto* list = Child<QWidget>("TabList");
    ASSERT_TRUE(list);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->role(), QAccessible::PageTabList);
    // Tab reaches the selected tab from the page, after the window's buttons.
    ASSERT_TRUE(Main().CurrentPage()->isAncestorOf(QApplication::focusWidget()));
    for (int i = 0; i < 30 && FocusName() != "LbLinkInfo"; ++i)
        Key(Qt::Key_Tab);
    ASSERT_EQ(FocusName(), "LbLinkInfo");
    const struct {
        Qt::Key Key;
        const char* Tab;
    } steps[] = {
        {Qt::Key_Right, "LbSiteSurvey"}, {Qt::Key_Right, "LbProfile"},
        {Qt::Key_End, "LbAdapter"},      {Qt::Key_Right, "LbLinkInfo"}, // round the row
        {Qt::Key_Left, "LbAdapter"},     {Qt::Key_Home, "LbLinkInfo"},
        {Qt::Key_Down, "LbSiteSurvey"},  {Qt::Key_Up, "LbLinkInfo"},
    };
    for (const auto& step : steps) {
        Key(step.Key);
        EXPECT_EQ(Main().CurrentTab()->objectName().toStdString(), step.Tab) << step.Key;
        EXPECT_EQ(FocusName().toStdString(), step.Tab) << "the focus stays on the row";
        for (QAccessibleInterface* tab = nullptr;
             const char* name : {"LbLinkInfo", "LbSiteSurvey", "LbProfile", "LbAdapter", "LbAPInfo"}) {
            tab = QAccessible::queryAccessibleInterface(Tab(name));
            EXPECT_EQ(tab->role(), QAccessible::PageTab) << name;
            EXPECT_EQ(tab->parent()->object(), list) << name;
            EXPECT_TRUE(tab->state().focusable) << name;
            EXPECT_EQ(tab->state().selected, std::string(name) == step.Tab) << name << " at " << step.Tab;
        }
    }
    // One stop for the row: Tab goes on to the page shown, Shift+Tab back to the window's buttons.
    Key(Qt::Key_Tab);
    EXPECT_TRUE(Main().CurrentPage()->isAncestorOf(QApplication::focusWidget())) << FocusName().toStdString();
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(), "BtnAbout");
}

// A radio button chooses on an arrow key; here that dropped the access point at once.
TEST_F(MainKeysTest, ArrowKeysOnTheModeSwitchOnlyMoveTheFocus)
{
    Show();
    Child<QWidget>("BtnStation")->setFocus(Qt::TabFocusReason);
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right}) {
        const QString before = FocusName();
        Key(key);
        EXPECT_NE(FocusName(), before) << key;
        EXPECT_EQ(Main().Mode(), 0) << key;
    }
    ASSERT_EQ(FocusName(), "BtnStation");
    Key(Qt::Key_Down);
    ASSERT_EQ(FocusName(), "BtnSoftAP");
    Key(Qt::Key_Space);
    EXPECT_EQ(Main().Mode(), 1) << "Space chooses";
    EXPECT_TRUE(WaitFor([&] { return Log().contains("Connect last => Default_SoftAP\r\n"); }));
    // Tab stops at the chosen mode only.
    const QStringList round = TabRound();
    EXPECT_TRUE(round.contains("BtnSoftAP") && !round.contains("BtnStation"))
        << round.join(' ').toStdString();
}
