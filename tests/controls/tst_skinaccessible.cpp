// The skinned controls as a keyboard user and a screen reader meet them: the focus ring of a shaped button,
// lamp rows read as levels, value labels read with their captions, and a list's rows and keys.
#include "controls/Fabitmapbtn.h"
#include "controls/Levelrow.h"
#include "controls/Skinaccessible.h"
#include "controls/Sortlv.h"

#include <QAccessible>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor RING(0x50, 0x64, 0x79);

QString Said(QObject* o, QAccessible::Text t = QAccessible::Name)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    return a ? a->text(t) : QStringLiteral("<none>");
}

// A round-cornered face: the corners carry the transparent colour, so the button is shaped.
QImage ShapedFace(int w, int h)
{
    QImage face(w, h, QImage::Format_RGB32);
    face.fill(QColor(0xC0, 0xD0, 0xE0));
    for (const QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
        face.setPixelColor(p, QColor(0xFF, 0x00, 0xFF));
    return face;
}

// Lets a window take the keyboard focus on the offscreen platform.
bool Activate(QWidget& w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

} // namespace

TEST(FocusRing, OutlineIsTheBandAlongTheInsideOfTheShape)
{
    struct Case {
        QRegion Shape;
        int Thickness;
        int Pixels;
    } cases[] = {
        {QRegion(0, 0, 10, 10), 1, 36},
        {QRegion(0, 0, 10, 10), 2, 64},
        {QRegion(0, 0, 3, 3), 2, 9}, // thinner than the ring: all of it
        {QRegion(), 2, 0},
        // Two rectangles side by side make one shape: no ring between them.
        {QRegion(0, 0, 5, 4) | QRegion(5, 0, 5, 4), 1, 24},
    };
    for (const Case& c : cases) {
        int pixels = 0;
        for (const QRect& r : OutlineOf(c.Shape, c.Thickness))
            pixels += r.width() * r.height();
        EXPECT_EQ(pixels, c.Pixels) << c.Shape.boundingRect().width() << "x" << c.Thickness;
    }
}

TEST(FocusRing, ShapedButtonShowsTheRingOnlyWhileTabbedTo)
{
    QWidget window;
    window.resize(120, 60);
    auto* before = new TFABitmapBtn(&window);
    auto* button = new TFABitmapBtn(&window);
    for (TFABitmapBtn* b : {before, button}) {
        b->SetFaces(ShapedFace(40, 20));
        b->SetAutoShape(true);
        b->setFocusPolicy(Qt::StrongFocus);
        b->SetFocusColor(RING);
    }
    before->move(5, 5);
    button->move(5, 30);
    ASSERT_TRUE(Activate(window));
    before->setFocus();
    const QImage unfocused = button->grab().toImage();
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(button->hasFocus());
    const QImage focused = button->grab().toImage();
    // The ring follows the cut corner: the pixel beside it is ring, the face's middle stays face.
    EXPECT_NE(unfocused.pixelColor(1, 0), RING);
    EXPECT_EQ(focused.pixelColor(1, 0), RING);
    EXPECT_EQ(focused.pixelColor(0, 1), RING);
    EXPECT_EQ(focused.pixelColor(39, 10), RING);
    EXPECT_EQ(focused.pixelColor(38, 10), RING);
    EXPECT_NE(focused.pixelColor(20, 10), RING);
    QTest::keyClick(button, Qt::Key_Tab);
    EXPECT_NE(button->grab().toImage().pixelColor(1, 0), RING);
}

TEST(LevelRow, LightsTheLevelAndIsReadAsOneOfTheMaximum)
{
    InstallSkinAccessibility();
    QPixmap light(8, 8);
    light.fill(Qt::green);
    TLevelRow row;
    row.CreateLamps(10, 15, light, [](int i) { return QStringLiteral("Lamp%1").arg(i); });
    row.setAccessibleName(QStringLiteral("Signal Strength"));
    row.SetLevelFormat(QStringLiteral("%1 of %2"));
    EXPECT_EQ(row.width(), 9 * 15 + 8);
    struct Case {
        int Set, Lit;
        const char* Said;
    } cases[] = {{7, 7, "7 of 10"}, {12, 10, "10 of 10"}, {-1, 0, "0 of 10"}, {1, 1, "1 of 10"}};
    for (const Case& c : cases) {
        row.SetLevel(c.Set);
        int lit = 0;
        for (int i = 0; i < 10; ++i)
            lit += row.findChild<QLabel*>(QStringLiteral("Lamp%1").arg(i))->pixmap().isNull() ? 0 : 1;
        EXPECT_EQ(lit, c.Lit) << c.Set;
        EXPECT_EQ(Said(&row, QAccessible::Value), QLatin1String(c.Said));
    }
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&row);
    EXPECT_EQ(a->role(), QAccessible::ProgressBar);
    EXPECT_EQ(a->text(QAccessible::Name), "Signal Strength");
    ASSERT_TRUE(a->valueInterface());
    EXPECT_EQ(a->valueInterface()->currentValue().toInt(), 1);
    EXPECT_EQ(a->valueInterface()->maximumValue().toInt(), 10);
    EXPECT_EQ(a->childCount(), 0) << "the lamps were read as ten unnamed images";
}

TEST(Decorative, ABulletIsPassedOverAndAPictureThatSaysSomethingIsNot)
{
    InstallSkinAccessibility();
    QPixmap dot(6, 6);
    dot.fill(Qt::blue);
    QWidget page;
    auto* bullet = new QLabel(&page);
    auto* picture = new QLabel(&page);
    bullet->setPixmap(dot);
    picture->setPixmap(dot);
    MarkDecorative(bullet);
    page.show();
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(bullet)->state().invisible);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(picture)->state().invisible);
}

TEST(ValueLabel, IsReadWithTheCaptionBesideIt)
{
    InstallSkinAccessibility();
    QWidget page;
    auto label = [&page](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), &page);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    label("LbSSID", "SSID:");
    QLabel* ssid = label("LblSSID", "Harbor-Office");
    label("LbMAC", "  ");
    QLabel* mac = label("LblMAC", "00:11:22:33:44:55");
    QLabel* lone = label("LblLone", "7");
    label("LbIP", "IP Address");
    QLabel* ip = label("LblIP", "");
    EXPECT_EQ(Said(ssid), "SSID: Harbor-Office");
    EXPECT_EQ(Said(ssid, QAccessible::Value), "Harbor-Office");
    ssid->setText(QStringLiteral("Campus-WLAN"));
    EXPECT_EQ(Said(ssid), "SSID: Campus-WLAN") << "follows the value";
    EXPECT_EQ(Said(mac), "00:11:22:33:44:55") << "a blank caption adds nothing";
    EXPECT_EQ(Said(lone), "7");
    EXPECT_EQ(Said(ip), "IP Address");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(ssid)->role(), QAccessible::StaticText);
}

class SortLvKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Window.resize(300, 200);
        m_List = new TSortLv(&m_Window);
        m_List->setGeometry(0, 0, 300, 200);
        m_List->setHeaderLabels({QString(), QStringLiteral("SSID"), QStringLiteral("Channel")});
        for (const char* ssid : {"Campus-WLAN", "Harbor-Office", "Psk2-Net"})
            m_List->addTopLevelItem(
                new QTreeWidgetItem({QString(), QLatin1String(ssid), QStringLiteral("6")}));
        m_Window.installEventFilter(&m_Keys);
        ASSERT_TRUE(Activate(m_Window));
        m_List->setFocus();
        m_List->setCurrentItem(m_List->topLevelItem(0));
    }
    QString Current() const { return m_List->currentItem() ? m_List->currentItem()->text(1) : QString(); }

    // Counts the Enter presses that reach the list's parent.
    struct KeyCounter : QObject {
        int Enters = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Return)
                ++Enters;
            return false;
        }
    } m_Keys;
    QWidget m_Window;
    TSortLv* m_List = nullptr;
};

TEST_F(SortLvKeys, ArrowsHomeAndEndMoveTheCurrentRow)
{
    const std::pair<Qt::Key, const char*> steps[] = {{Qt::Key_Down, "Harbor-Office"},
                                                     {Qt::Key_End, "Psk2-Net"},
                                                     {Qt::Key_Up, "Harbor-Office"},
                                                     {Qt::Key_Home, "Campus-WLAN"}};
    for (const auto& [key, row] : steps) {
        QTest::keyClick(m_List, key);
        EXPECT_EQ(Current(), QLatin1String(row));
    }
}

TEST_F(SortLvKeys, EnterActsAsADoubleClickWhenTheOwnerTakesOne)
{
    QTest::keyClick(m_List, Qt::Key_Return);
    EXPECT_EQ(m_Keys.Enters, 1) << "a list that does nothing on a double click leaves Enter to its page";
    QStringList entered;
    QObject::connect(m_List, &QTreeWidget::itemDoubleClicked, &m_Window,
                     [&entered](QTreeWidgetItem* item) { entered << item->text(1); });
    QTest::keyClick(m_List, Qt::Key_Down);
    QTest::keyClick(m_List, Qt::Key_Return);
    EXPECT_EQ(entered, QStringList{"Harbor-Office"});
    EXPECT_EQ(m_Keys.Enters, 1) << "the row's Enter does not also press the page's default button";
}

TEST_F(SortLvKeys, RowsAreReadByTheirColumns)
{
    InstallSkinAccessibility();
    QTreeWidgetItem* row = m_List->topLevelItem(1);
    EXPECT_EQ(row->data(0, Qt::AccessibleTextRole).toString(), "SSID: Harbor-Office, Channel: 6");
    row->setText(2, QStringLiteral("11"));
    EXPECT_EQ(m_List->RowDescription(row), "SSID: Harbor-Office, Channel: 11");
    EXPECT_EQ(row->data(0, Qt::AccessibleTextRole).toString(), "SSID: Harbor-Office, Channel: 11")
        << "follows a changed cell";
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(m_List);
    ASSERT_TRUE(list && list->tableInterface());
    QAccessibleInterface* cell = list->tableInterface()->cellAt(1, 0);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->text(QAccessible::Name), "SSID: Harbor-Office, Channel: 11");
}
