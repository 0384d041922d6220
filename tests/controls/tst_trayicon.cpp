#include "controls/Imagelist.h"
#include "controls/Trayicon.h"

#include "testutil.h"
#include <QWidget>
#include <gtest/gtest.h>

TEST(TrayIcon, HintRules)
{
    TTrayIcon tray;
    tray.SetHint(QStringLiteral("Wireless Utility"));
    EXPECT_EQ(tray.Hint(), QStringLiteral("Wireless Utility"));
    tray.SetHint(QString(64, QLatin1Char('x')));
    EXPECT_EQ(tray.Hint(), QStringLiteral("Wireless Utility")) << "64 characters are too many";
    tray.SetHint(QString(63, QLatin1Char('x')));
    EXPECT_EQ(tray.Hint().size(), 63);
    tray.SetHint(QString());
    EXPECT_TRUE(tray.Hint().isEmpty());
}

TEST(TrayIcon, ClicksOnlyFireEventsWithoutActions)
{
    QWidget window;
    TTrayIcon tray;
    tray.SetMainWindow(&window);
    tray.SetRestoreOn(TTrayIcon::imNone);
    tray.SetPopupMenuOn(TTrayIcon::imNone);
    int click = 0, up = 0, dbl = 0, restore = 0;
    QList<Qt::MouseButton> down;
    QObject::connect(&tray, &TTrayIcon::OnClick, &tray, [&] { ++click; });
    QObject::connect(&tray, &TTrayIcon::OnMouseDown, &tray,
                     [&](Qt::MouseButton b, Qt::KeyboardModifiers, const QPoint&) { down.append(b); });
    QObject::connect(&tray, &TTrayIcon::OnMouseUp, &tray, [&] { ++up; });
    QObject::connect(&tray, &TTrayIcon::OnDblClick, &tray, [&] { ++dbl; });
    QObject::connect(&tray, &TTrayIcon::OnRestore, &tray, [&] { ++restore; });
    tray.HandleMouse(TTrayIcon::mmLeftDown, {1, 2});
    tray.HandleMouse(TTrayIcon::mmLeftUp, {1, 2});
    tray.HandleMouse(TTrayIcon::mmRightDown, {1, 2});
    tray.HandleMouse(TTrayIcon::mmRightUp, {1, 2});
    tray.HandleMouse(TTrayIcon::mmLeftDbl, {1, 2});
    EXPECT_EQ(click, 1);
    EXPECT_EQ(down, (QList<Qt::MouseButton>{Qt::LeftButton, Qt::RightButton}));
    EXPECT_EQ(up, 2);
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(restore, 0);
    EXPECT_FALSE(window.isVisible());
}

TEST(TrayIcon, RestoreOnChosenAction)
{
    struct Case {
        TTrayIcon::MouseAction action;
        TTrayIcon::MouseMessage message;
        int restores;
    } cases[] = {
        {TTrayIcon::imDoubleClick, TTrayIcon::mmLeftDbl, 1},
        {TTrayIcon::imDoubleClick, TTrayIcon::mmLeftUp, 0},
        {TTrayIcon::imLeftClickUp, TTrayIcon::mmLeftUp, 1},
        {TTrayIcon::imRightClickUp, TTrayIcon::mmRightUp, 1},
        {TTrayIcon::imRightClickUp, TTrayIcon::mmLeftUp, 0},
        {TTrayIcon::imMouseDown, TTrayIcon::mmMiddleDown, 1},
        {TTrayIcon::imClick, TTrayIcon::mmLeftUp, 1},
    };
    for (const Case& c : cases) {
        TTrayIcon tray;
        tray.SetRestoreOn(c.action);
        int restores = 0;
        QObject::connect(&tray, &TTrayIcon::OnRestore, &tray, [&] { ++restores; });
        tray.HandleMouse(c.message, {});
        EXPECT_EQ(restores, c.restores) << int(c.action) << " " << int(c.message);
    }
}

TEST(TrayIcon, IconsAndAnimation)
{
    TImageList icons(16, 16);
    for (QColor c : {Qt::red, Qt::green, Qt::blue}) {
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(c);
        icons.Add(img);
    }
    TTrayIcon tray;
    tray.SetIcons(&icons);
    tray.SetIconIndex(2);
    EXPECT_EQ(tray.CurrentIcon().pixmap(16, 16).toImage().pixelColor(3, 3), QColor(Qt::blue));
    tray.SetVisible(true); // harmless without a status area
    EXPECT_TRUE(tray.Visible());
    EXPECT_TRUE(tray.Hide());
    int ticks = 0;
    QObject::connect(&tray, &TTrayIcon::OnAnimate, &tray, [&] { ++ticks; });
    tray.SetAnimateInterval(10);
    tray.SetAnimate(true);
    ASSERT_TRUE(testutil::WaitFor([&] { return ticks > 0; }));
    EXPECT_EQ(tray.IconIndex(), 0) << "wraps after the last picture";
    tray.SetAnimate(false);
    tray.SetVisible(false);
    EXPECT_FALSE(tray.Hide());
}

TEST(TrayIcon, MinimisingTheWindowHidesIt)
{
    QWidget window;
    TTrayIcon tray;
    tray.SetMainWindow(&window);
    tray.SetVisible(true);
    int minimized = 0, restored = 0;
    QObject::connect(&tray, &TTrayIcon::OnMinimize, &tray, [&] { ++minimized; });
    QObject::connect(&tray, &TTrayIcon::OnRestore, &tray, [&] { ++restored; });
    window.show();
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(testutil::WaitFor([&] { return minimized == 1; }));
    EXPECT_FALSE(window.isVisible()) << "no task bar entry stays behind";
    tray.HandleMouse(TTrayIcon::mmLeftDbl, {});
    EXPECT_EQ(restored, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
}
