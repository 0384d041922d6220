#include "controls/Fabitmapbtn.h"
#include "controls/Imagelist.h"
#include "controls/Wincolor.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage Solid(const QColor& color, int w = 20, int h = 10)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    return img;
}

void Hover(QWidget& w)
{
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(&w, &e);
}

constexpr unsigned SEL = TColorButton::dsSelected;
constexpr unsigned DIS = TColorButton::dsDisabled;

} // namespace

TEST(WinColor, LowByteIsRed)
{
    EXPECT_EQ(WinColor(16250346), QColor(0xEA, 0xF5, 0xF7));
    EXPECT_EQ(WinColor(7955536), QColor(0x50, 0x64, 0x79));
    EXPECT_EQ(ToWinColor(QColor(0xEA, 0xF5, 0xF7)), 16250346u);
}

TEST(TrifaceBtn, FaceChoice)
{
    const QImage n = Solid(Qt::red), d = Solid(Qt::green), o = Solid(Qt::blue), x = Solid(Qt::gray);
    struct Case {
        const char* what;
        bool down, over, disable, hover;
        unsigned state;
        QImage expected;
    } cases[] = {
        {"normal", true, true, true, false, 0, n},
        {"pressed", true, true, true, false, SEL, d},
        {"hover", true, true, true, true, 0, o},
        {"hover without over face", true, false, true, true, 0, n},
        {"disabled beats pressed", true, true, true, false, SEL | DIS, x},
        {"disabled without face", true, true, false, false, DIS, n},
        {"pressed without face", false, true, true, false, SEL, n},
    };
    for (const Case& c : cases) {
        TTrifaceBtn b;
        b.SetFaces(n);
        b.SetFacesDown(c.down ? d : QImage());
        b.SetFacesOver(c.over ? o : QImage());
        b.SetFacesDisable(c.disable ? x : QImage());
        if (c.hover)
            Hover(b);
        EXPECT_EQ(b.FaceFor(c.state), c.expected) << c.what;
    }
}

TEST(TrifaceBtn, WithoutFacesDrawsLikeColourButton)
{
    TColorButton plain;
    TTrifaceBtn skinned;
    for (QPushButton* b : {static_cast<QPushButton*>(&plain), static_cast<QPushButton*>(&skinned)}) {
        b->setText(QStringLiteral("Scan"));
        b->resize(80, 24);
    }
    EXPECT_TRUE(skinned.FaceFor(0).isNull());
    EXPECT_EQ(plain.grab().toImage(), skinned.grab().toImage());
}

TEST(FABitmapBtn, HoverLaysOverFaceShiftedUpLeft)
{
    TFABitmapBtn b;
    b.SetFaces(Solid(Qt::red, 4, 4));
    b.SetFacesOver(Solid(Qt::blue, 4, 4));
    Hover(b);
    const QImage face = b.FaceFor(0);
    EXPECT_EQ(face.pixelColor(2, 2), QColor(Qt::blue));
    EXPECT_EQ(face.pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(face.pixelColor(3, 0), QColor(Qt::red));
    EXPECT_EQ(face.pixelColor(0, 3), QColor(Qt::red));
}

TEST(ShapeRegion, ToleranceIsRgbDistance)
{
    QImage img(4, 1, QImage::Format_RGB888);
    img.setPixelColor(0, 0, QColor(255, 0, 255));
    img.setPixelColor(1, 0, QColor(252, 0, 255)); // distance 3
    img.setPixelColor(2, 0, QColor(251, 0, 252)); // distance 5
    img.setPixelColor(3, 0, QColor(0, 0, 0));
    struct Case {
        int tolerance;
        QRegion expected;
    } cases[] = {
        {0, QRegion(1, 0, 3, 1)},
        {3, QRegion(2, 0, 2, 1)},
        {5, QRegion(3, 0, 1, 1)},
        {-1, QRegion(0, 0, 4, 1)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShapeRegion(img, QColor(255, 0, 255), c.tolerance).Region, c.expected) << c.tolerance;
}

TEST(ShapeRegion, RunsGoInBatchesOfAThousand)
{
    // Every other pixel opaque: 1001 runs in one row.
    QImage img(2002, 1, QImage::Format_RGB888);
    img.fill(QColor(255, 0, 255));
    for (int x = 0; x < 2002; x += 2)
        img.setPixelColor(x, 0, Qt::black);
    const TShapeResult r = ShapeRegion(img, QColor(255, 0, 255), 0);
    EXPECT_TRUE(r.Error.isEmpty());
    EXPECT_EQ(r.Batches, 2);
    EXPECT_EQ(r.Region.rectCount(), 1001);
    EXPECT_TRUE(r.Region.contains(QPoint(2000, 0)));
    EXPECT_FALSE(r.Region.contains(QPoint(2001, 0)));
}

TEST(TrifaceBtn, AutoShapeCutsAndFollowsFaceSize)
{
    QImage face = Solid(QColor(255, 0, 255), 30, 12);
    QPainter(&face).fillRect(5, 2, 20, 8, Qt::darkBlue);
    TTrifaceBtn b;
    b.resize(100, 100);
    b.SetAutoShape(true);
    EXPECT_FALSE(b.AutoShape()) << "no faces yet";
    b.SetFaces(face);
    b.SetAutoShape(true);
    EXPECT_TRUE(b.AutoShape());
    EXPECT_TRUE(b.NoFocusRect());
    EXPECT_EQ(b.size(), QSize(30, 12));
    b.setGeometry(7, 9, 200, 200);
    EXPECT_EQ(b.geometry(), QRect(7, 9, 30, 12));
    EXPECT_TRUE((b.mask() ^ QRegion(5, 2, 20, 8)).isEmpty());
    EXPECT_TRUE(b.LastShapeError().isEmpty());

    b.SetNoFocusRect(false);
    EXPECT_FALSE(b.AutoShape()) << "focus marks need the whole rectangle";
    EXPECT_TRUE(b.mask().isEmpty());
    b.resize(50, 20);
    EXPECT_EQ(b.size(), QSize(50, 20));
}

TEST(TrifaceBtn, FaceAllTransparentLeavesButtonRectangular)
{
    TTrifaceBtn b;
    b.SetFaces(Solid(QColor(255, 0, 255)));
    b.SetAutoShape(true);
    EXPECT_EQ(b.LastShapeError(), QStringLiteral("Failed to create region."));
    EXPECT_TRUE(b.mask().isEmpty());
    b.SetTransColor(Qt::black);
    EXPECT_TRUE(b.LastShapeError().isEmpty());
    EXPECT_TRUE((b.mask() ^ QRegion(0, 0, 20, 10)).isEmpty());
}

TEST(TrifaceBtn, FocusMarksOnCorners)
{
    TTrifaceBtn b;
    b.SetFaces(Solid(Qt::white, 30, 20));
    b.resize(30, 20);
    b.setDefault(true);
    QImage shot = b.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 0), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(6, 0), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(29, 14), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(29, 13), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(15, 10), QColor(Qt::white));
    b.SetNoFocusRect(true);
    shot = b.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 0), QColor(Qt::white));
}

TEST(ColorButton, GlyphCentredWithTiesToEven)
{
    TImageList glyphs(16, 16);
    QImage g(16, 16, QImage::Format_ARGB32);
    g.fill(Qt::red);
    glyphs.Add(g);
    TColorButton b;
    b.SetColor(Qt::white);
    b.SetGlyphs(&glyphs);
    b.resize(41, 21);
    // x = (41 - 2 - 16) / 2 = 11.5 and y = (21 - 16 + 2) / 2 = 3.5 both round to the even 12 and 4.
    QImage shot = b.grab().toImage();
    EXPECT_EQ(shot.pixelColor(12, 4), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(11, 4), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(12, 3), QColor(Qt::red));
    b.setDown(true);
    shot = b.grab().toImage();
    EXPECT_NE(shot.pixelColor(12, 4), QColor(Qt::red)) << "a pressed button moves its glyph by one pixel";
    EXPECT_EQ(shot.pixelColor(13, 5), QColor(Qt::red));
    b.setDown(false);
    b.setEnabled(false);
    shot = b.grab().toImage();
    EXPECT_EQ(shot.pixel(14, 6), b.ColorLo().rgb()) << "disabled glyphs are embossed";
}
