// The keyboard focus a person sees: on boxes whose caption is a label of their own, on lists (empty ones
// too), on skinned buttons over a dark panel and on page tabs. Each control is drawn with and without the
// focus, and the focus must change enough of its pixels to the focus colours.
#include "controls/Focusstyle.h"
#include "controls/Tablist.h"
#include "controls/Trifacebtn.h"
#include "controls/Trifacelabel.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QColor DARK_PANEL(0x1b, 0x3a, 0x5c);

int PixelsOf(const QImage& shot, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            count += shot.pixelColor(x, y) == color;
    return count;
}

// Pixels of `color` in `w` drawn with the focus, less those drawn without it.
int FocusPixels(QWidget& w, const QColor& color)
{
    w.clearFocus();
    const int without = PixelsOf(w.grab().toImage(), color);
    w.setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(w.hasFocus()) << w.metaObject()->className();
    return PixelsOf(w.grab().toImage(), color) - without;
}

} // namespace

TEST(FocusStyle, EveryKindOfControlShowsTheFocusPlainly)
{
    TFocusStyle style;
    QWidget window;
    window.resize(300, 200);
    QPalette dark = window.palette();
    dark.setColor(QPalette::Window, DARK_PANEL);
    window.setPalette(dark);
    window.setAutoFillBackground(true);
    const QColor highlight = window.palette().color(QPalette::Highlight);
    const QColor amber(0xff, 0xb0, 0x00);

    auto* radio = new QRadioButton(&window);
    radio->setGeometry(10, 10, 18, 18);
    auto* box = new QCheckBox(&window);
    box->setGeometry(40, 10, 18, 18);
    auto* list = new QTreeWidget(&window);
    list->setGeometry(10, 40, 120, 80);
    auto* button = new TTrifaceBtn(&window);
    button->setGeometry(150, 10, 19, 19);
    QImage face(19, 19, QImage::Format_RGB32);
    face.fill(DARK_PANEL.lighter(120));
    button->SetFaces(face);
    button->setFocusPolicy(Qt::StrongFocus);
    auto* tabs = new TTabList(&window);
    auto* tab = new TTrifaceLabel(&window);
    tab->setGeometry(150, 40, 120, 60);
    tab->setText(QStringLiteral("Link Info"));
    tab->SetFontCr(TTrifaceLabel::ckNormal, Qt::white);
    tabs->AddTab(tab);
    tabs->SetCurrent(tab);
    for (QWidget* w : std::initializer_list<QWidget*>{radio, box, list})
        w->setStyle(&style);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const struct {
        const char* Kind;
        QWidget* Control;
        QColor Color;
        int AtLeast; // pixels: a ring round a box, a frame round a list, an outline round a button or a
                     // caption
    } cases[] = {
        {"radio button without caption", radio, highlight, 40},
        {"check box without caption", box, highlight, 40},
        {"empty list", list, highlight, 300},
        {"skinned button on a dark panel", button, amber, 40},
        {"page tab", tab, Qt::white, 60},
    };
    for (const auto& c : cases)
        EXPECT_GE(FocusPixels(*c.Control, c.Color), c.AtLeast) << c.Kind;
}
