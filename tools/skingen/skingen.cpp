// Draws the program's skin: window and page backgrounds, button faces, lamp, bullet, the image-list strips
// (sort arrows, network kinds, tray icons) and the program icon, and writes the resource list skin.qrc.
//
// Regenerate resources/skin/ with one command from a configured build folder:
//   cmake --build build --target skin
//
// Everything is drawn from one palette. Button faces are cut by the buttons along the magenta key colour, so
// their edges are smoothed against the colour of the place they sit on and never against the key.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

namespace pal {
const QColor Navy(0x15, 0x30, 0x4c);
const QColor NavyLight(0x1e, 0x4b, 0x77);
const QColor Blue(0x1f, 0x5f, 0x99);
const QColor BlueLight(0x46, 0x93, 0xdb);
const QColor Cyan(0x5c, 0xc8, 0xec);
// The tab strip carries slate captions and white ones under the mouse, so it is a middle tone.
const QColor StripTop(0xb3, 0xc6, 0xd9);
const QColor StripBottom(0x93, 0xac, 0xc5);
const QColor TabIcon(0x2c, 0x46, 0x61);
const QColor Footer(0xd7, 0xe2, 0xed);
const QColor Slate(0x50, 0x64, 0x79); // the tabs' normal caption colour
const QColor Page(0xf6, 0xf9, 0xfc);
const QColor PageLine(0xc6, 0xd4, 0xe2);
const QColor Frame(0xe0, 0xe8, 0xf0);
const QColor Orange(0xf2, 0x9b, 0x2c);
const QColor Green(0x3b, 0xc9, 0x4c);
const QColor Red(0xd9, 0x3f, 0x3f);
const QColor Gold(0xe8, 0xb5, 0x2e);
const QColor Key(0xff, 0x00, 0xff); // cut away by the buttons
} // namespace pal

constexpr int MAIN_W = 800, MAIN_H = 480;
constexpr int PAGE_X = 155, PAGE_Y = 116, PAGE_W = 595, PAGE_H = 317;
constexpr int TAB_X = 250, TAB_Y = 49, TAB_W = 125, TAB_H = 67;
constexpr int HEADER_H = 49;
const QColor HEADER_RIGHT = pal::NavyLight; // where the help and about buttons sit

QString g_Out;
QStringList g_Files;
// The words drawn into pictures, by section/key of a language file; empty for the built-in English ones.
QHash<QString, QString> g_Words;

// A language file's values, read as the program reads them: sections and keys without regard to case.
QHash<QString, QString> ReadWords(const QString& path)
{
    QFile f(path);
    QHash<QString, QString> words;
    if (!f.open(QIODevice::ReadOnly))
        return words;
    QString section;
    for (const QString& raw : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            section = line.mid(1, line.size() - 2).toLower();
        else if (!line.startsWith(QLatin1Char(';')) && line.contains(QLatin1Char('=')))
            words.insert(section + QLatin1Char('/') +
                             line.section(QLatin1Char('='), 0, 0).trimmed().toLower(),
                         line.section(QLatin1Char('='), 1).trimmed());
    }
    return words;
}

QString Words(const char* section, const char* key, const char* english)
{
    return g_Words.value(QString::fromLatin1(section).toLower() + QLatin1Char('/') +
                             QString::fromLatin1(key).toLower(),
                         QString::fromUtf8(english));
}

QFont Font(int px, bool bold)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

void Save(const QImage& img, const QString& name)
{
    const bool jpeg = name.endsWith(QLatin1String(".jpg"));
    const QImage out = jpeg ? img.convertToFormat(QImage::Format_RGB32) : img;
    if (!out.save(g_Out + QLatin1Char('/') + name, nullptr, jpeg ? 88 : -1)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
        std::exit(1);
    }
    g_Files << name;
}

QImage Canvas(int w, int h, const QColor& fill = Qt::transparent)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

void Smooth(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// ---- pictograms, drawn into a square `r` in one colour ----

void Waves(QPainter& p, QPointF base, double radius, const QColor& c, double width, int count = 3)
{
    p.save();
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= count; ++i) {
        const double rr = radius * i / count;
        p.drawArc(QRectF(base.x() - rr, base.y() - rr, 2 * rr, 2 * rr), 45 * 16, 90 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(base, width * 0.9, width * 0.9);
    p.restore();
}

void SignalBars(QPainter& p, const QRectF& r, const QColor& c)
{
    const double bw = r.width() / 6.5;
    for (int i = 0; i < 4; ++i) {
        const double h = r.height() * (0.3 + 0.233 * i);
        p.fillRect(QRectF(r.left() + i * bw * 1.7, r.bottom() - h, bw, h), c);
    }
}

void Magnifier(QPainter& p, const QRectF& r, const QColor& c)
{
    const double s = r.width();
    p.save();
    p.setPen(QPen(c, s * 0.1, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF lens(r.left() + s * 0.08, r.top() + s * 0.08, s * 0.58, s * 0.58);
    p.drawEllipse(lens);
    p.setPen(QPen(c, s * 0.16, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(r.left() + s * 0.6, r.top() + s * 0.6),
               QPointF(r.right() - s * 0.08, r.bottom() - s * 0.08));
    p.restore();
    Waves(p, QPointF(lens.center().x(), lens.center().y() + s * 0.12), s * 0.22, c, s * 0.05, 2);
}

void Card(QPainter& p, const QRectF& r, const QColor& c)
{
    const double s = r.width();
    p.save();
    p.setPen(QPen(c, s * 0.07));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(s * 0.04, s * 0.14, -s * 0.04, -s * 0.14), s * 0.08, s * 0.08);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(r.left() + s * 0.3, r.top() + s * 0.42), s * 0.1, s * 0.1);
    p.drawPie(QRectF(r.left() + s * 0.14, r.top() + s * 0.54, s * 0.32, s * 0.3), 0, 180 * 16);
    for (int i = 0; i < 3; ++i)
        p.drawRoundedRect(QRectF(r.left() + s * 0.54, r.top() + s * (0.36 + 0.13 * i),
                                 s * (i == 2 ? 0.22 : 0.32), s * 0.07),
                          s * 0.03, s * 0.03);
    p.restore();
}

void Adapter(QPainter& p, const QRectF& r, const QColor& c)
{
    const double s = r.width();
    p.save();
    p.translate(r.center());
    p.rotate(-35);
    p.setPen(QPen(c, s * 0.07));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(-s * 0.17, -s * 0.22, s * 0.34, s * 0.62), s * 0.07, s * 0.07);
    p.drawRect(QRectF(-s * 0.11, -s * 0.42, s * 0.22, s * 0.2));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(QRectF(-s * 0.07, -s * 0.37, s * 0.05, s * 0.06));
    p.drawRect(QRectF(s * 0.02, -s * 0.37, s * 0.05, s * 0.06));
    p.restore();
    Waves(p, QPointF(r.left() + s * 0.78, r.top() + s * 0.3), s * 0.22, c, s * 0.05, 2);
}

void Tower(QPainter& p, const QRectF& r, const QColor& c)
{
    const double s = r.width();
    const QPointF top(r.center().x(), r.top() + s * 0.42);
    p.save();
    p.setPen(QPen(c, s * 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(top, QPointF(r.center().x() - s * 0.2, r.bottom() - s * 0.04));
    p.drawLine(top, QPointF(r.center().x() + s * 0.2, r.bottom() - s * 0.04));
    p.drawLine(QPointF(r.center().x() - s * 0.11, r.top() + s * 0.72),
               QPointF(r.center().x() + s * 0.11, r.top() + s * 0.72));
    p.setPen(QPen(c, s * 0.07, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 2; ++i) {
        const double rr = s * 0.16 * i;
        const QRectF arc(top.x() - rr, top.y() - rr, 2 * rr, 2 * rr);
        p.drawArc(arc, -40 * 16, 80 * 16);
        p.drawArc(arc, 140 * 16, 80 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(top, s * 0.08, s * 0.08);
    p.restore();
}

void Gear(QPainter& p, const QRectF& r, const QColor& c)
{
    const double s = r.width();
    QPainterPath path;
    const QPointF m = r.center();
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = (i + 0.5) * M_PI * 2 / (teeth * 4);
        const double rr = (i % 4 < 2) ? s * 0.46 : s * 0.34;
        const QPointF pt(m.x() + rr * std::cos(a), m.y() + rr * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    path.addEllipse(m, s * 0.14, s * 0.14);
    path.setFillRule(Qt::OddEvenFill);
    p.fillPath(path, c);
}

void Shield(QPainter& p, const QRectF& r, const QColor& c)
{
    const double s = r.width();
    QPainterPath path;
    path.moveTo(r.center().x(), r.top() + s * 0.04);
    path.lineTo(r.right() - s * 0.12, r.top() + s * 0.18);
    path.cubicTo(r.right() - s * 0.12, r.top() + s * 0.62, r.center().x() + s * 0.15, r.bottom() - s * 0.1,
                 r.center().x(), r.bottom() - s * 0.02);
    path.cubicTo(r.center().x() - s * 0.15, r.bottom() - s * 0.1, r.left() + s * 0.12, r.top() + s * 0.62,
                 r.left() + s * 0.12, r.top() + s * 0.18);
    path.closeSubpath();
    p.fillPath(path, c);
    p.save();
    // The tick takes the colour of what the shield stands on: the strip, or the selected tab.
    p.setPen(QPen(c == QColor(Qt::white) ? pal::Blue : pal::StripTop, s * 0.08, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(r.left() + s * 0.32, r.top() + s * 0.5),
                              QPointF(r.left() + s * 0.46, r.top() + s * 0.64),
                              QPointF(r.left() + s * 0.7, r.top() + s * 0.36)}));
    p.restore();
}

void Lock(QPainter& p, const QRectF& r, const QColor& body, const QColor& shackle)
{
    const double s = r.width();
    p.save();
    p.setPen(QPen(shackle, s * 0.13));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(r.left() + s * 0.24, r.top() + s * 0.06, s * 0.52, s * 0.6), 0, 180 * 16);
    p.drawLine(QPointF(r.left() + s * 0.24, r.top() + s * 0.36),
               QPointF(r.left() + s * 0.24, r.top() + s * 0.5));
    p.drawLine(QPointF(r.right() - s * 0.24, r.top() + s * 0.36),
               QPointF(r.right() - s * 0.24, r.top() + s * 0.5));
    p.setPen(QPen(body.darker(140), s * 0.05));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(r.left() + s * 0.1, r.top() + s * 0.44, s * 0.8, s * 0.52), s * 0.08, s * 0.08);
    p.setPen(Qt::NoPen);
    p.setBrush(body.darker(170));
    p.drawEllipse(QPointF(r.center().x(), r.top() + s * 0.66), s * 0.07, s * 0.07);
    p.restore();
}

void Laptop(QPainter& p, const QRectF& r, const QColor& c)
{
    const double s = r.width();
    p.save();
    p.setPen(QPen(c, s * 0.1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(r.left() + s * 0.18, r.top() + s * 0.2, s * 0.64, s * 0.44));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(QRectF(r.left(), r.top() + s * 0.72, s, s * 0.12));
    p.restore();
}

// ---- window and page backgrounds ----

void Watermark(QPainter& p, QPointF base, double radius, const QColor& c)
{
    p.save();
    p.setPen(QPen(c, radius * 0.06, Qt::SolidLine, Qt::RoundCap));
    for (int i = 1; i <= 4; ++i) {
        const double rr = radius * i / 4;
        p.drawArc(QRectF(base.x() - rr, base.y() - rr, 2 * rr, 2 * rr), 30 * 16, 120 * 16);
    }
    p.restore();
}

void Logo(QPainter& p, const QRectF& r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, pal::BlueLight);
    g.setColorAt(1, pal::Blue);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, r.width() * 0.22, r.width() * 0.22);
    Waves(p, QPointF(r.center().x(), r.bottom() - r.height() * 0.2), r.width() * 0.55, Qt::white,
          r.width() * 0.09);
}

using Pictogram = std::function<void(QPainter&, const QRectF&, const QColor&)>;

QImage MainBackground(const QList<Pictogram>& tabs, int selected, const Pictogram& mode)
{
    QImage img = Canvas(MAIN_W, MAIN_H, pal::Frame);
    QPainter p(&img);
    Smooth(p);

    QLinearGradient header(0, 0, MAIN_W, 0);
    header.setColorAt(0, pal::Navy);
    header.setColorAt(0.55, pal::NavyLight);
    header.setColorAt(1, HEADER_RIGHT);
    p.fillRect(0, 0, MAIN_W, HEADER_H, header);
    Watermark(p, QPointF(560, 80), 120, QColor(255, 255, 255, 18));
    Logo(p, QRectF(14, 8, 33, 33));
    p.setFont(Font(19, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(58, 0, 400, HEADER_H), Qt::AlignVCenter,
               Words("Utility", "AppTitle", "Wireless LAN Utility"));
    p.fillRect(0, HEADER_H - 2, MAIN_W, 2, pal::Cyan.darker(120));

    QLinearGradient strip(0, TAB_Y, 0, TAB_Y + TAB_H);
    strip.setColorAt(0, pal::StripTop);
    strip.setColorAt(1, pal::StripBottom);
    p.fillRect(0, TAB_Y, MAIN_W, TAB_H, strip);

    for (int i = 0; i < tabs.size(); ++i) {
        const QRectF tab(TAB_X + i * TAB_W, TAB_Y, TAB_W, TAB_H);
        const bool on = i == selected;
        if (on) {
            QPainterPath path;
            path.addRoundedRect(tab.adjusted(3, 5, -3, 12), 9, 9);
            QLinearGradient g(tab.topLeft(), tab.bottomLeft());
            g.setColorAt(0, pal::BlueLight);
            g.setColorAt(1, pal::Blue);
            p.save();
            p.setClipRect(tab);
            p.fillPath(path, g);
            p.restore();
        } else if (i > 0 && i != selected + 1) {
            p.fillRect(QRectF(tab.left(), tab.top() + 12, 1, tab.height() - 22), pal::StripTop.lighter(112));
        }
        const QRectF icon(tab.center().x() - 13, tab.top() + 7, 26, 26);
        tabs.at(i)(p, icon, on ? Qt::white : pal::TabIcon);
    }
    p.fillRect(0, PAGE_Y - 3, MAIN_W, 3, pal::Blue);

    QLinearGradient side(0, PAGE_Y, 0, PAGE_Y + PAGE_H);
    side.setColorAt(0, pal::Blue);
    side.setColorAt(1, pal::Navy);
    p.fillRect(0, PAGE_Y, PAGE_X, PAGE_H, side);
    Watermark(p, QPointF(PAGE_X / 2.0, PAGE_Y + 150), 70, QColor(255, 255, 255, 40));
    p.save();
    p.setOpacity(0.85);
    mode(p, QRectF(PAGE_X / 2.0 - 24, PAGE_Y + 160, 48, 48), Qt::white);
    p.restore();
    p.fillRect(PAGE_X, PAGE_Y, PAGE_W, PAGE_H, pal::Page);

    QLinearGradient right(PAGE_X + PAGE_W, 0, MAIN_W, 0);
    right.setColorAt(0, pal::Frame.darker(104));
    right.setColorAt(1, pal::Frame);
    p.fillRect(PAGE_X + PAGE_W, PAGE_Y, MAIN_W - PAGE_X - PAGE_W, PAGE_H, right);

    const int footer = PAGE_Y + PAGE_H;
    QLinearGradient foot(0, footer, 0, MAIN_H);
    foot.setColorAt(0, pal::Footer);
    foot.setColorAt(1, pal::Footer.darker(106));
    p.fillRect(0, footer, MAIN_W, MAIN_H - footer, foot);
    p.fillRect(0, footer, MAIN_W, 1, pal::PageLine.darker(110));
    return img;
}

void TitleBand(QPainter& p, const QRectF& r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, pal::BlueLight);
    g.setColorAt(1, pal::Blue);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, 4, 4);
    p.fillRect(QRectF(r.left() + 8, r.center().y() - 3, 3, 6), pal::Cyan);
}

// A page: a light panel with a soft frame, title bands at `bands` and a faint wave in the corner.
QImage PageBackground(const QList<QRectF>& bands, const std::function<void(QPainter&)>& extra = {})
{
    QImage img = Canvas(PAGE_W, PAGE_H, pal::Page);
    QPainter p(&img);
    Smooth(p);
    Watermark(p, QPointF(PAGE_W - 70, PAGE_H + 20), 150, QColor(0x1f, 0x5f, 0x99, 14));
    p.setPen(pal::PageLine);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, PAGE_W - 1, PAGE_H - 1));
    for (const QRectF& band : bands)
        TitleBand(p, band);
    if (extra)
        extra(p);
    return img;
}

void LampSockets(QPainter& p, int x0)
{
    for (int i = 0; i < 10; ++i) {
        const QRectF r(x0 + 15 * i, 278, 12, 12);
        p.setPen(QPen(pal::PageLine.darker(115), 1));
        p.setBrush(QColor(0xe4, 0xea, 0xf0));
        p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

QImage FramedBackground(int w, int h, int bandHeight)
{
    QImage img = Canvas(w, h, pal::Page);
    QPainter p(&img);
    Smooth(p);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, pal::Navy);
    g.setColorAt(1, pal::NavyLight);
    p.fillRect(0, 0, w, bandHeight, g);
    Watermark(p, QPointF(w - 60, bandHeight + 10), bandHeight * 1.3, QColor(255, 255, 255, 22));
    p.fillRect(0, bandHeight - 2, w, 2, pal::Cyan.darker(120));
    Watermark(p, QPointF(w - 50, h + 10), h * 0.45, QColor(0x1f, 0x5f, 0x99, 14));
    p.setPen(pal::PageLine);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    return img;
}

// ---- button faces ----

// Draws with `draw` over `backdrop`, then keys every pixel less than half covered by `shape` to magenta.
QImage ShapedFace(QSize size, const QColor& backdrop, const QPainterPath& shape,
                  const std::function<void(QPainter&)>& draw)
{
    QImage img = Canvas(size.width(), size.height(), backdrop);
    QPainter p(&img);
    Smooth(p);
    draw(p);
    p.end();
    QImage cover = Canvas(size.width(), size.height());
    QPainter q(&cover);
    q.setRenderHint(QPainter::Antialiasing);
    q.fillPath(shape, Qt::black);
    q.end();
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (qAlpha(cover.pixel(x, y)) < 128)
                img.setPixelColor(x, y, pal::Key);
    return img.convertToFormat(QImage::Format_RGB32);
}

// Pixels between a button's caption and its rounded ends, and the smallest caption drawn.
constexpr int CAPTION_MARGIN = 7;
constexpr int MIN_CAPTION_PX = 9;

QImage PageButton(QSize size, const QString& caption, bool hover, const Pictogram& glyph = {})
{
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), size.height() / 2.0 - 1,
                         size.height() / 2.0 - 1);
    return ShapedFace(size, pal::Page, shape, [&](QPainter& p) {
        QLinearGradient g(0, 0, 0, size.height());
        g.setColorAt(0, hover ? QColor(0x7c, 0xbd, 0xf2) : pal::BlueLight);
        g.setColorAt(1, hover ? QColor(0x2c, 0x78, 0xbf) : pal::Blue);
        p.setPen(QPen(hover ? pal::Cyan.darker(115) : pal::Blue.darker(135), 1));
        p.setBrush(g);
        p.drawPath(shape);
        p.setPen(QPen(QColor(255, 255, 255, hover ? 110 : 70), 1));
        p.setBrush(Qt::NoBrush);
        const double r = size.height() / 2.0 - 2;
        p.drawRoundedRect(QRectF(1.5, 1.5, size.width() - 3, size.height() - 3), r, r);
        QRectF text(0, 0, size.width(), size.height());
        // The caption keeps clear of the rounded ends: a longer one (German) is drawn smaller.
        const double gw = size.height() - 10;
        const double room = size.width() - 2 * CAPTION_MARGIN - (glyph ? gw + 5 : 0);
        for (int px = 12; px >= MIN_CAPTION_PX; --px) {
            p.setFont(Font(px, true));
            if (p.fontMetrics().horizontalAdvance(caption) <= room)
                break;
        }
        if (glyph) {
            const double cw = p.fontMetrics().horizontalAdvance(caption);
            const double x0 = (size.width() - cw - gw - 5) / 2;
            glyph(p, QRectF(x0, 5, gw, gw), Qt::white);
            text.setLeft(x0 + gw + 5);
            text.setWidth(cw + 2);
        }
        p.setPen(QColor(0, 0, 0, 70));
        p.drawText(text.translated(0, 1), Qt::AlignCenter, caption);
        p.setPen(Qt::white);
        p.drawText(text, Qt::AlignCenter, caption);
    });
}

QImage RoundIconButton(QSize size, const QColor& backdrop, bool hover, const Pictogram& glyph,
                       const QColor& hot)
{
    QPainterPath shape;
    const double d = std::min(size.width(), size.height()) - 1;
    const QRectF circle((size.width() - d) / 2.0, (size.height() - d) / 2.0, d, d);
    shape.addEllipse(circle);
    return ShapedFace(size, backdrop, shape, [&](QPainter& p) {
        QRadialGradient g(circle.center() - QPointF(0, d * 0.25), d * 0.75);
        g.setColorAt(0, hover ? hot.lighter(130) : QColor(255, 255, 255, 60));
        g.setColorAt(1, hover ? hot : QColor(255, 255, 255, 25));
        p.setPen(QPen(QColor(255, 255, 255, hover ? 230 : 150), 1.2));
        p.setBrush(g);
        p.drawEllipse(circle.adjusted(0.6, 0.6, -0.6, -0.6));
        const double gs = d * 0.56;
        glyph(p, QRectF(circle.center().x() - gs / 2, circle.center().y() - gs / 2, gs, gs), Qt::white);
    });
}

void Letter(QPainter& p, const QRectF& r, const QColor& c, const QString& s)
{
    QFont f = Font(int(r.height() * 1.15), true);
    f.setFamily(QStringLiteral("DejaVu Serif"));
    p.setFont(f);
    p.setPen(c);
    p.drawText(r.adjusted(-4, -4, 4, 4), Qt::AlignCenter, s);
}

void Cross(QPainter& p, const QRectF& r, const QColor& c)
{
    p.save();
    p.setPen(QPen(c, r.width() * 0.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft() + QPointF(1, 1), r.bottomRight() - QPointF(1, 1));
    p.drawLine(r.topRight() + QPointF(-1, 1), r.bottomLeft() + QPointF(1, -1));
    p.restore();
}

QImage ModeButton(bool enabled)
{
    const QSize size(19, 19);
    QPainterPath shape;
    shape.addEllipse(QRectF(0.5, 0.5, 18, 18));
    return ShapedFace(size, pal::Blue.darker(115), shape, [&](QPainter& p) {
        p.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawEllipse(QRectF(1.25, 1.25, 16.5, 16.5));
        if (enabled) {
            QRadialGradient g(QPointF(8.5, 8), 6);
            g.setColorAt(0, Qt::white);
            g.setColorAt(0.4, pal::Cyan);
            g.setColorAt(1, pal::Cyan.darker(140));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawEllipse(QRectF(4.5, 4.5, 10, 10));
        }
    });
}

// ---- small pictures and image lists ----

QImage Lamp()
{
    QImage img = Canvas(12, 12);
    QPainter p(&img);
    Smooth(p);
    QRadialGradient g(QPointF(5, 4.5), 6.5);
    g.setColorAt(0, QColor(0xe8, 0xff, 0xe8));
    g.setColorAt(0.35, pal::Green.lighter(120));
    g.setColorAt(1, pal::Green.darker(150));
    p.setPen(QPen(pal::Green.darker(190), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(0.5, 0.5, 11, 11));
    return img;
}

QImage Bullet()
{
    QImage img = Canvas(9, 9);
    QPainter p(&img);
    Smooth(p);
    QPainterPath d;
    d.moveTo(4.5, 0.5);
    d.lineTo(8.5, 4.5);
    d.lineTo(4.5, 8.5);
    d.lineTo(0.5, 4.5);
    d.closeSubpath();
    QLinearGradient g(0, 0, 9, 9);
    g.setColorAt(0, pal::Cyan);
    g.setColorAt(1, pal::Blue);
    p.fillPath(d, g);
    return img;
}

QImage SortArrows()
{
    QImage img = Canvas(20, 10);
    QPainter p(&img);
    Smooth(p);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::Slate);
    p.drawPolygon(QPolygonF({QPointF(5, 2), QPointF(9, 8), QPointF(1, 8)}));
    p.drawPolygon(QPolygonF({QPointF(11, 2), QPointF(19, 2), QPointF(15, 8)}));
    return img;
}

QImage NetworkKinds()
{
    QImage img = Canvas(4 * 44, 22);
    QPainter p(&img);
    Smooth(p);
    for (int i = 0; i < 4; ++i) {
        const double x = i * 44;
        const bool adhoc = i & 1, secured = i & 2;
        if (adhoc) {
            Laptop(p, QRectF(x + 2, 4, 12, 12), pal::Slate);
            Laptop(p, QRectF(x + 12, 9, 12, 12), pal::Blue);
            p.setPen(QPen(pal::Cyan.darker(120), 1.2, Qt::DotLine));
            p.drawLine(QPointF(x + 9, 3), QPointF(x + 19, 8));
        } else {
            Tower(p, QRectF(x + 2, 1, 21, 21), pal::Blue);
        }
        if (secured)
            Lock(p, QRectF(x + 27, 3, 15, 16), pal::Gold, pal::Slate);
    }
    return img;
}

void TrayIcon(QPainter& p, const QRectF& r, int kind)
{
    const double s = r.width();
    const QColor bg = kind == 0 ? QColor(0x8a, 0x97, 0xa5) : kind == 1 ? pal::Blue : pal::Orange;
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, bg.lighter(125));
    g.setColorAt(1, bg.darker(110));
    p.setPen(QPen(bg.darker(150), s / 16.0));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(s / 32, s / 32, -s / 32, -s / 32), s * 0.2, s * 0.2);
    if (kind == 2)
        Tower(p, r.adjusted(s * 0.1, s * 0.06, -s * 0.1, -s * 0.14), Qt::white);
    else
        Waves(p, QPointF(r.center().x(), r.bottom() - s * 0.2), s * 0.62, Qt::white, s * 0.1);
    if (kind == 0) {
        const QRectF badge(r.right() - s * 0.5, r.top(), s * 0.5, s * 0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(pal::Red);
        p.drawEllipse(badge);
        Cross(p, badge.adjusted(s * 0.14, s * 0.14, -s * 0.14, -s * 0.14), Qt::white);
    }
}

QImage TrayStrip(int size)
{
    QImage img = Canvas(3 * size, size);
    QPainter p(&img);
    Smooth(p);
    for (int k = 0; k < 3; ++k)
        TrayIcon(p, QRectF(k * size, 0, size, size), k);
    return img;
}

// The pictures of one language live under their own prefix, in a resource file named after it.
void WriteQrc(const QString& language)
{
    QFile f(g_Out + (language.isEmpty() ? QStringLiteral("/skin.qrc")
                                        : QStringLiteral("/skin_%1.qrc").arg(language)));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::exit(1);
    QTextStream out(&f);
    out << "<!-- Written by tools/skingen (build target skin); do not edit. -->\n";
    out << "<RCC>\n    <qresource prefix=\"/skin" << (language.isEmpty() ? QString() : '/' + language)
        << "\">\n";
    for (const QString& name : g_Files)
        out << "        <file>" << name << "</file>\n";
    out << "    </qresource>\n</RCC>\n";
}

// The pictures with words in them: the main window's backgrounds with the title, and the buttons.
void MakeMainBackgrounds()
{
    const QList<Pictogram> station = {SignalBars, Magnifier, Card, Adapter};
    const QList<Pictogram> softAp = {Tower, Gear, Shield};
    const char* stationNames[] = {"ImgMainInfo", "ImgMainSurvey", "ImgMainProfile", "ImgMainAdapter"};
    const char* apNames[] = {"ImgAPInfo", "ImgAPCfg", "ImgAPFilter"};
    for (int i = 0; i < 4; ++i)
        Save(MainBackground(station, i, Adapter), QLatin1String(stationNames[i]) + QLatin1String(".jpg"));
    for (int i = 0; i < 3; ++i)
        Save(MainBackground(softAp, i, Tower), QLatin1String(apNames[i]) + QLatin1String(".jpg"));
}

void MakeButtons()
{
    struct Btn {
        const char* name;
        const char* caption;
        int width;
        int height;
        Pictogram glyph;
    };
    const Pictogram chart = [](QPainter& p, const QRectF& r, const QColor& c) { SignalBars(p, r, c); };
    const Btn buttons[] = {
        {"ImgBtnAct", "Activate", 70, 24, {}},        {"ImgBtnActlater", "Activate Later", 97, 21, {}},
        {"ImgBtnActnow", "Activate Now", 97, 21, {}}, {"ImgBtnAdd", "Add", 70, 24, {}},
        {"ImgBtnApply", "Apply", 84, 24, {}},         {"ImgBtnBack", "< Back", 84, 24, {}},
        {"ImgBtnBrowse", "Browse...", 84, 24, {}},    {"ImgBtnCancel", "Cancel", 84, 24, {}},
        {"ImgBtnChart", "Chart", 84, 24, chart},      {"ImgBtnConnect", "Connect", 84, 24, {}},
        {"ImgBtnDelete", "Delete", 70, 24, {}},       {"ImgBtnEdit", "Edit", 70, 24, {}},
        {"ImgBtnExit", "Exit", 84, 24, {}},           {"ImgBtnNext", "Next >", 84, 24, {}},
        {"ImgBtnRefresh", "Refresh", 84, 24, {}},     {"ImgBtnSave", "Save", 84, 24, {}},
        {"ImgBtnScan", "Scan", 84, 24, {}},           {"ImgBtnSelect", "Select", 84, 24, {}},
        {"ImgBtnStart", "Start", 84, 24, {}},         {"ImgBtnStatistics", "Statistics", 84, 24, {}},
        {"ImgBtnTChart", "Chart", 84, 24, chart},
    };
    for (const Btn& b : buttons) {
        const QString name = QLatin1String(b.name);
        const QString caption = Words("SkinCaption", b.name, b.caption);
        Save(PageButton({b.width, b.height}, caption, false, b.glyph), name + QLatin1String(".png"));
        Save(PageButton({b.width, b.height}, caption, true, b.glyph), name + QLatin1String("On.png"));
    }
}

void MakeAll()
{
    MakeMainBackgrounds();

    const QRectF full(10, 8, PAGE_W - 20, 24);
    const QRectF left(10, 8, 315, 24), right(335, 8, PAGE_W - 345, 24);
    Save(PageBackground({left, right},
                        [](QPainter& p) {
                            p.fillRect(QRectF(329.5, 40, 1, 220), pal::PageLine);
                            LampSockets(p, 125);
                            LampSockets(p, 393);
                        }),
         QStringLiteral("ImgFrLink.jpg"));
    for (const char* name : {"ImgSurvey", "ImgFrProfile", "ImgAdapter", "ImgFrAPFilter", "ImgFrProfSet"})
        Save(PageBackground({full}), QLatin1String(name) + QLatin1String(".jpg"));
    // The AP pages have two titles side by side: the status and its station list, the wireless and the
    // security settings.
    for (const char* name : {"ImgFrAPInfo", "ImgFrAPCfg"})
        Save(PageBackground({left, right}), QLatin1String(name) + QLatin1String(".jpg"));
    Save(PageBackground(
             {},
             [](QPainter& p) {
                 const QRectF c(60, 90, 110, 110);
                 p.setPen(Qt::NoPen);
                 p.setBrush(QColor(0x3b, 0xc9, 0x4c, 40));
                 p.drawEllipse(c);
                 p.setPen(QPen(pal::Green.darker(115), 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                 p.drawPolyline(QPolygonF({QPointF(88, 147), QPointF(108, 167), QPointF(145, 122)}));
             }),
         QStringLiteral("ImgFrActive.jpg"));
    QImage about = FramedBackground(386, 278, 96);
    {
        QPainter p(&about);
        Smooth(p);
        Logo(p, QRectF(20, 24, 48, 48));
    }
    Save(about, QStringLiteral("ImgAboutBG.jpg"));
    Save(FramedBackground(540, 317, 30), QStringLiteral("ImgChartBG.jpg"));

    const auto help = [](QPainter& p, const QRectF& r, const QColor& c) {
        Letter(p, r, c, QStringLiteral("?"));
    };
    const auto info = [](QPainter& p, const QRectF& r, const QColor& c) {
        Letter(p, r, c, QStringLiteral("i"));
    };
    Save(RoundIconButton({27, 31}, HEADER_RIGHT, false, help, pal::Cyan), QStringLiteral("ImgBtnHelpN.png"));
    Save(RoundIconButton({27, 31}, HEADER_RIGHT, true, help, pal::Cyan), QStringLiteral("ImgBtnHelpH.png"));
    Save(RoundIconButton({27, 31}, HEADER_RIGHT, false, info, pal::Cyan), QStringLiteral("ImgBtnAboutN.png"));
    Save(RoundIconButton({27, 31}, HEADER_RIGHT, true, info, pal::Cyan), QStringLiteral("ImgBtnAboutH.png"));
    Save(RoundIconButton({20, 20}, pal::NavyLight, false, Cross, pal::Red),
         QStringLiteral("ImgBtnCloseN.png"));
    Save(RoundIconButton({20, 20}, pal::NavyLight, true, Cross, pal::Red),
         QStringLiteral("ImgBtnCloseH.png"));
    // Without a caption, for buttons that draw their text from the language file (the message box's).
    Save(PageButton({75, 24}, QString(), false), QStringLiteral("ImgBtnBlank.png"));
    Save(PageButton({75, 24}, QString(), true), QStringLiteral("ImgBtnBlankOn.png"));
    Save(ModeButton(true), QStringLiteral("ImgBtnEnable.png"));
    Save(ModeButton(false), QStringLiteral("ImgBtnDisable.png"));

    MakeButtons();

    Save(Bullet(), QStringLiteral("ImgMark.png"));
    Save(Lamp(), QStringLiteral("ImgLight.png"));
    Save(SortArrows(), QStringLiteral("ImgsSort.png"));
    Save(NetworkKinds(), QStringLiteral("ImgsType.png"));
    Save(TrayStrip(16), QStringLiteral("ImgsKeltoIcon.png"));
    Save(TrayStrip(32), QStringLiteral("ImgsKeltoIconXP.png"));

    QImage icon = Canvas(64, 64);
    {
        QPainter p(&icon);
        Smooth(p);
        Logo(p, QRectF(2, 2, 60, 60));
    }
    icon.save(g_Out + QStringLiteral("/wlanutil.png"));
    WriteQrc(QString());
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: skingen OUTPUT_DIR [LANGUAGE_FILE LANGUAGE]\n"
                             "  with a language file only the pictures with words in them, in its words\n");
        return 2;
    }
    g_Out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_Out);
    if (argc == 4) {
        g_Words = ReadWords(QString::fromLocal8Bit(argv[2]));
        MakeMainBackgrounds();
        MakeButtons();
        WriteQrc(QString::fromLocal8Bit(argv[3]));
    } else {
        MakeAll();
    }
    std::printf("%lld pictures written to %s\n", (long long)g_Files.size(), argv[1]);
    return 0;
}
