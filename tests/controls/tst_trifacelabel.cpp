#include "controls/Trifacelabel.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

void Send(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, pos, w.mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

void Enter(QWidget& w)
{
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&w, &e);
}

void Leave(QWidget& w)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &e);
}

} // namespace

TEST(TrifaceLabel, ColoursFollowMouse)
{
    TTrifaceLabel lb;
    lb.resize(125, 67);
    lb.SetFontCr(1, QColor(0x50, 0x64, 0x79));
    lb.SetFontCr(2, Qt::white);
    lb.SetFontCr(3, Qt::yellow);
    lb.SetFontCr(4, Qt::red);
    EXPECT_EQ(lb.FontCrNormal(), QColor(0x50, 0x64, 0x79));
    EXPECT_EQ(lb.FontCrDown(), QColor(Qt::yellow));

    Enter(lb);
    EXPECT_EQ(lb.MouseState(), TTrifaceLabel::msOver);
    EXPECT_EQ(lb.CurrentColor(), QColor(Qt::white));
    Send(lb, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(lb.MouseState(), TTrifaceLabel::msDown);
    Leave(lb);
    EXPECT_EQ(lb.MouseState(), TTrifaceLabel::msDown) << "pressed and left keeps the down colour";
    Send(lb, QEvent::MouseButtonRelease, {300, 5}, Qt::NoButton);
    EXPECT_EQ(lb.MouseState(), TTrifaceLabel::msNormal);
    Send(lb, QEvent::MouseMove, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(lb.MouseState(), TTrifaceLabel::msDown);
    Send(lb, QEvent::MouseButtonRelease, {5, 5}, Qt::NoButton);
    EXPECT_EQ(lb.MouseState(), TTrifaceLabel::msOver);
}

TEST(TrifaceLabel, TextSitsOffsetTopDown)
{
    TTrifaceLabel lb;
    lb.resize(125, 67);
    lb.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lb.setText(QStringLiteral("Profile"));
    lb.SetFontCr(1, Qt::black);
    lb.SetOffsetTop(37);
    lb.setAutoFillBackground(true);
    lb.setStyleSheet(QString());
    QPalette pal = lb.palette();
    pal.setColor(QPalette::Window, Qt::white);
    lb.setPalette(pal);
    const QImage shot = lb.grab().toImage();
    int firstInk = -1;
    for (int y = 0; y < shot.height() && firstInk < 0; ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) < 128) {
                firstInk = y;
                break;
            }
    EXPECT_GE(firstInk, 37);
    EXPECT_LT(firstInk, 67);
}

TEST(EllipsisLabel, CutsTooLongText)
{
    TEllipsisLabel lb;
    lb.setText(QStringLiteral("/home/user/networks/office/profile.ini"));
    EXPECT_EQ(lb.DisplayText(40), lb.text()) << "no ellipsis flag";
    lb.SetEllipsisEnd(true);
    EXPECT_TRUE(lb.DisplayText(60).endsWith(QChar(0x2026)));
    EXPECT_EQ(lb.DisplayText(2000), lb.text());
    lb.SetEllipsisEnd(false);
    lb.SetEllipsisPath(true);
    const QString path = lb.DisplayText(120);
    EXPECT_TRUE(path.startsWith(QLatin1Char('/')));
    EXPECT_TRUE(path.endsWith(QStringLiteral(".ini")));
    lb.SetEllipsisPath(false);
    lb.SetEllipsisWord(true);
    lb.setText(QStringLiteral("Wireless Network Status Information"));
    const QString word = lb.DisplayText(
        lb.fontMetrics().horizontalAdvance(QStringLiteral("Wireless Network") + QChar(0x2026) + "Ne"));
    EXPECT_EQ(word, QStringLiteral("Wireless Network") + QChar(0x2026));
}

// Values on the status pages change every few seconds and are drawn without being measured first when they
// surely fit: what is drawn must still be what the measured cut gives, at every width and in every font.
TEST(EllipsisLabel, ShortValuesShowAsTheMeasuredCutWouldShowThem)
{
    QFont spaced(QStringLiteral("Arial"), 9);
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    const QFont fonts[] = {QFont(QStringLiteral("Arial"), 9), QFont(QStringLiteral("Arial"), 9, QFont::Bold),
                           QFont(QStringLiteral("DejaVu Sans"), 14), spaced};
    const QString texts[] = {
        QStringLiteral("232 kbps"),          QStringLiteral("-45 dBm"),
        QStringLiteral("00:1A:2B:3C:4D:5E"), QStringLiteral("WWWWWWWWWWWW"),
        QStringLiteral("AVAVAVAV Ty.Yo"),    QString::fromUtf8("\xE7\xBD\x91\xE7\xBB\x9C 5 GHz"),
        QStringLiteral("tab\there"),         QString()};
    for (const QFont& font : fonts)
        for (const QString& text : texts) {
            TEllipsisLabel lb;
            lb.setFont(font);
            lb.setText(text);
            lb.SetEllipsisEnd(true);
            const QFontMetrics fm(font);
            for (int width = 0; width <= 400; width += 7)
                EXPECT_EQ(lb.DisplayText(width), fm.elidedText(text, Qt::ElideRight, width))
                    << qPrintable(text) << " in " << qPrintable(font.toString()) << " at " << width;
        }
}
