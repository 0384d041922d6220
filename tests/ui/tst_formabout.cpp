#include "guitest.h"
#include "app/Udefine.h"
#include "controls/Ellipsislabel.h"
#include "controls/Trifacebtn.h"
#include "testutil.h"
#include "ui/Uformabout.h"
#include "ui/Uformbase.h"
#include "ui/Uformres.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString PROGRAM_VERSION = QStringLiteral("%1.%2.%3")
                                    .arg(WLANUTIL_VERSION_MAJOR)
                                    .arg(WLANUTIL_VERSION_MINOR)
                                    .arg(WLANUTIL_VERSION_PATCH);

class AboutTest : public ::testing::Test {
protected:
    AboutTest() { FormRes = &m_Res; }
    ~AboutTest() override { FormRes = nullptr; }

    static TEllipsisLabel* Label(TFormAbout& about, const char* name)
    {
        return about.findChild<TEllipsisLabel*>(QLatin1String(name));
    }

    TFormRes m_Res;
};

void SendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(local), QPointF(target->mapToGlobal(local)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

} // namespace

TEST_F(AboutTest, ShowsTheVersionsAndTexts)
{
    ScopedConfig config(QString(), QStringLiteral("[Utility]\nAppTitle=Test Utility\n"
                                                  "[FormAbout]\nLbDriverVer=Treiberversion\n"));
    TFormAbout about;
    EXPECT_EQ(about.size(), QSize(386, 278));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Test Utility"));
    EXPECT_EQ(Label(about, "LbProduct")->text(), QStringLiteral("Test Utility"))
        << "product defaults to the title";
    EXPECT_EQ(Label(about, "LbDriverVer")->text(), QStringLiteral("Treiberversion"));
    EXPECT_EQ(Label(about, "LblUtilityVer")->text(), PROGRAM_VERSION)
        << "first three parts of the program's version";
    EXPECT_TRUE(Label(about, "LblDriverVer")->text().isEmpty()) << "no adapter, no driver version";

    // Each value starts 6 pixels after its caption's text and ends at 337.
    for (const char* pair : {"DriverVer", "UtilityVer"}) {
        TEllipsisLabel* caption = Label(about, qPrintable(QStringLiteral("Lb%1").arg(QLatin1String(pair))));
        TEllipsisLabel* value = Label(about, qPrintable(QStringLiteral("Lbl%1").arg(QLatin1String(pair))));
        const int text = MeasureLabelText(caption);
        EXPECT_EQ(value->x(), caption->x() + text + 6) << pair;
        EXPECT_EQ(value->x() + value->width(), 337) << pair;
    }

    const TDriverTexts driver{QStringLiteral("5.1.2600"), QStringLiteral("/lib/modules/x/tsw.ko")};
    about.SetDriver(&driver);
    EXPECT_EQ(Label(about, "LblDriverVer")->text(), QStringLiteral("5.1.2600"));
    EXPECT_EQ(Label(about, "LblDriverVer")->toolTip(), driver.Path);
}

TEST_F(AboutTest, LanguageFileOverridesTheVersions)
{
    ScopedConfig config(QString(), QStringLiteral("[Utility]\nUtilityVer=2.0 beta\nDriverVer=see readme\n"
                                                  "ProductName=Air Tool\nCopyright1=(C) Someone\n"));
    TFormAbout about;
    const TDriverTexts driver{QStringLiteral("5.1"), QString()};
    about.SetDriver(&driver);
    EXPECT_EQ(Label(about, "LblUtilityVer")->text(), QStringLiteral("2.0 beta"));
    EXPECT_EQ(Label(about, "LblDriverVer")->text(), QStringLiteral("see readme"));
    EXPECT_EQ(Label(about, "LbProduct")->text(), QStringLiteral("Air Tool"));
    EXPECT_EQ(Label(about, "LbCopyright")->text(), QStringLiteral("(C) Someone"));
    EXPECT_FALSE(Label(about, "LbRight")->text().isEmpty()) << "a missing key keeps the designed notice";
}

TEST_F(AboutTest, CloseButtonEndsTheModalShowCentredOnTheMainWindow)
{
    QWidget mainWindow;
    mainWindow.setGeometry(50, 40, 800, 480);
    mainWindow.show();
    TFormAbout about;
    QRect shownAt;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &about, [&] {
        if (about.isVisible()) {
            poll.stop();
            shownAt = QRect(about.pos(), about.size());
            about.findChild<TTrifaceBtn*>(QStringLiteral("BtnClose"))->click();
        }
    });
    poll.start(10);
    EXPECT_EQ(about.ShowAbout(&mainWindow, nullptr), int(mrOk));
    const QRect ref = mainWindow.frameGeometry();
    EXPECT_EQ(shownAt.topLeft(),
              QPoint(ref.x() + (ref.width() - 386) / 2, ref.y() + (ref.height() - 278) / 2));
    EXPECT_TRUE(ModalForms.isEmpty());
}

TEST_F(AboutTest, DraggingTheBackgroundMovesTheWindow)
{
    TFormAbout about;
    about.move(100, 100);
    about.show();
    ASSERT_TRUE(testutil::WaitFor([&about] { return about.isVisible(); }));
    QWidget* bg = about.findChild<QWidget*>(QStringLiteral("ImgBG"));
    const QPoint start = about.pos();
    SendMouse(bg, QEvent::MouseButtonPress, {200, 150}, Qt::LeftButton);
    SendMouse(bg, QEvent::MouseMove, {230, 170}, Qt::LeftButton);
    EXPECT_EQ(about.pos(), start + QPoint(30, 20));
    SendMouse(bg, QEvent::MouseMove, {260, 190}, Qt::NoButton);
    EXPECT_EQ(about.pos(), start + QPoint(30, 20)) << "without the button held the window stays";
}

// Its background draws the box's title and close button; a frame of the window manager added a second pair.
TEST_F(AboutTest, HasNoWindowFrame)
{
    QWidget framed(nullptr, Qt::Dialog);
    framed.show();
    TFormAbout about;
    about.show();
    ASSERT_TRUE(testutil::WaitFor([&] { return framed.isVisible() && about.isVisible(); }));
    ASSERT_NE(framed.frameGeometry(), framed.geometry()) << "the platform gives a dialog a frame";
    EXPECT_EQ(about.frameGeometry(), about.geometry());
}

TEST_F(AboutTest, EscapeAndEnterCloseTheBoxFromTheKeyboard)
{
    QWidget mainWindow;
    mainWindow.show();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        TFormAbout about;
        QString focused;
        QTimer poll;
        QElapsedTimer waited;
        waited.start();
        QObject::connect(&poll, &QTimer::timeout, &about, [&] {
            // A box that never takes the keys is closed, so the test fails rather than hangs.
            if (waited.elapsed() > 5000) {
                about.close();
            } else if (about.isVisible() && QApplication::focusWidget()) {
                poll.stop();
                focused = QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), key);
            }
        });
        poll.start(10);
        about.activateWindow();
        EXPECT_EQ(about.ShowAbout(&mainWindow, nullptr), int(mrOk)) << key;
        EXPECT_EQ(focused, "BtnClose") << "the only control has the focus";
    }
}
