#include "Trifacebtn.h"
#include "app/Udebug.h"

#include <QMouseEvent>
#include <QPainter>
#include <vector>

TShapeResult ShapeRegion(const QImage& face, const QColor& trans, int tolerance)
{
    TShapeResult result;
    const int tr = trans.red(), tg = trans.green(), tb = trans.blue();
    const long long limit = tolerance < 0 ? -1 : (long long)tolerance * tolerance;
    const auto transparent = [&](const uchar* px) {
        const int dr = px[0] - tr, dg = px[1] - tg, db = px[2] - tb;
        return (long long)dr * dr + dg * dg + db * db <= limit;
    };
    std::vector<QRect> runs;
    for (int y = 0; y < face.height(); ++y) {
        const uchar* line = face.constScanLine(y);
        int x = 0;
        while (x < face.width()) {
            while (x < face.width() && transparent(line + 3 * x))
                ++x;
            const int start = x;
            while (x < face.width() && !transparent(line + 3 * x))
                ++x;
            if (x > start)
                runs.emplace_back(start, y, x - start, 1);
        }
    }
    // Runs come row by row and left to right, the banded order a region is built from.
    for (size_t i = 0; i < runs.size(); i += SHAPE_BATCH_RECTS) {
        const int n = int(std::min<size_t>(SHAPE_BATCH_RECTS, runs.size() - i));
        QRegion batch;
        batch.setRects(runs.data() + i, n);
        ++result.Batches;
        result.Region |= batch;
    }
    if (result.Region.isEmpty())
        result.Error = QStringLiteral("Failed to create region.");
    return result;
}

const QColor FOCUS_RING_INNER(0xff, 0xb0, 0x00);

QRegion OutlineOf(const QRegion& shape, int thickness)
{
    QRegion inner = shape;
    for (int i = 0; i < thickness; ++i)
        inner &= inner.translated(1, 0) & inner.translated(-1, 0) & inner.translated(0, 1) &
                 inner.translated(0, -1);
    return shape - inner;
}

TTrifaceBtn::TTrifaceBtn(QWidget* parent)
    : TColorButton(parent), m_FocusColor(palette().color(QPalette::Highlight))
{
    setMouseTracking(true);
    // Cut-away parts show the parent, so the button no longer paints every pixel of its rectangle.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

bool TTrifaceBtn::SetFace(QImage& face, const QImage& value)
{
    if (face == value && face.isNull() == value.isNull())
        return false;
    face = value;
    update();
    return true;
}

void TTrifaceBtn::SetFaces(const QImage& value)
{
    if (SetFace(m_Faces, value))
        DoShapeButton();
}

void TTrifaceBtn::SetFacesDown(const QImage& value)
{
    SetFace(m_FacesDown, value);
}

void TTrifaceBtn::SetFacesOver(const QImage& value)
{
    SetFace(m_FacesOver, value);
}

void TTrifaceBtn::SetFacesDisable(const QImage& value)
{
    SetFace(m_FacesDisable, value);
}

void TTrifaceBtn::SetNoFocusRect(bool value)
{
    if (value == m_NoFocusRect)
        return;
    m_NoFocusRect = value;
    // A shaped button has no room for focus marks, so asking for them gives up the shape.
    if (!value && m_AutoShape)
        SetAutoShape(false);
    update();
}

void TTrifaceBtn::SetAutoShape(bool value)
{
    if (value && m_Faces.isNull())
        value = false;
    if (value == m_AutoShape)
        return;
    m_AutoShape = value;
    if (value && !m_NoFocusRect)
        SetNoFocusRect(true);
    DoShapeButton();
}

void TTrifaceBtn::SetTransColor(const QColor& value)
{
    if (value != m_TransColor) {
        m_TransColor = value;
        DoShapeButton();
    }
}

void TTrifaceBtn::SetTransTolerance(int16_t value)
{
    if (value != m_TransTolerance) {
        m_TransTolerance = value;
        DoShapeButton();
    }
}

void TTrifaceBtn::SetFocusColor(const QColor& value)
{
    if (value != m_FocusColor) {
        m_FocusColor = value;
        update();
    }
}

QImage TTrifaceBtn::HoverFace() const
{
    return m_FacesOver.isNull() ? m_Faces : m_FacesOver;
}

QImage TTrifaceBtn::FaceFor(unsigned state) const
{
    QImage face;
    if (!isEnabled() || (state & dsDisabled))
        face = m_FacesDisable;
    else if (state & dsSelected)
        face = m_FacesDown;
    else if (m_Hover || hasFocus())
        face = HoverFace();
    else
        face = m_Faces;
    return face.isNull() ? m_Faces : face;
}

void TTrifaceBtn::DoDrawButtonFace(QPainter& painter, unsigned state)
{
    const QImage face = FaceFor(state);
    if (face.isNull()) {
        TColorButton::DoDrawButtonFace(painter, state);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), face);
    if (!m_NoFocusRect && (state & (dsFocus | dsDefault)))
        DrawFocusCorners(painter);
    if (hasFocus())
        DrawFocusRing(painter);
}

// The corner marks cannot show on a shaped button, so the keyboard focus is shown by the lifted face and a
// ring along the visible outline: the focus colour outside, amber inside it, so that the ring shows on a dark
// panel as on a light page.
void TTrifaceBtn::DrawFocusRing(QPainter& painter) const
{
    const QRegion shape = mask().isEmpty() ? QRegion(rect()) : mask();
    const QRegion outer = OutlineOf(shape, FOCUS_RING_WIDTH);
    const QRegion inner = OutlineOf(shape, 2 * FOCUS_RING_WIDTH) - outer;
    for (const QRect& r : outer)
        painter.fillRect(r, m_FocusColor);
    for (const QRect& r : inner)
        painter.fillRect(r, FOCUS_RING_INNER);
}

void TTrifaceBtn::DrawFocusCorners(QPainter& painter) const
{
    // Two 6-pixel strokes along the edges at each corner.
    constexpr int LEN = 6;
    const QColor pen = palette().color(QPalette::ButtonText);
    const int w = width(), h = height();
    for (const int x : {0, w - LEN}) {
        painter.fillRect(x, 0, LEN, 1, pen);
        painter.fillRect(x, h - 1, LEN, 1, pen);
    }
    for (const int y : {0, h - LEN}) {
        painter.fillRect(0, y, 1, LEN, pen);
        painter.fillRect(w - 1, y, 1, LEN, pen);
    }
}

void TTrifaceBtn::DoDrawButtonText(QPainter& painter, unsigned state)
{
    bool bitmapFace;
    if (!isEnabled() || (state & dsDisabled))
        bitmapFace = !m_Faces.isNull();
    else if (state & dsSelected)
        bitmapFace = !m_FacesDown.isNull();
    else
        bitmapFace = !m_Faces.isNull();
    // On a picture the focus shows only as corner marks.
    if (bitmapFace)
        state &= ~unsigned(dsFocus);
    TColorButton::DoDrawButtonText(painter, state);
}

void TTrifaceBtn::SetHover(bool value)
{
    if (value != m_Hover) {
        m_Hover = value;
        DoRedrawButton();
    }
}

void TTrifaceBtn::enterEvent(QEnterEvent* e)
{
    SetHover(true);
    TColorButton::enterEvent(e);
}

void TTrifaceBtn::leaveEvent(QEvent* e)
{
    SetHover(false);
    TColorButton::leaveEvent(e);
}

void TTrifaceBtn::mouseMoveEvent(QMouseEvent* e)
{
    if (rect().contains(e->position().toPoint()))
        SetHover(true);
    TColorButton::mouseMoveEvent(e);
}

void TTrifaceBtn::focusInEvent(QFocusEvent* e)
{
    TColorButton::focusInEvent(e);
    DoRedrawButton();
}

void TTrifaceBtn::focusOutEvent(QFocusEvent* e)
{
    TColorButton::focusOutEvent(e);
    DoRedrawButton();
}

void TTrifaceBtn::DoRedrawButton()
{
    // The parent repaints what the cut-away parts uncover.
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
    else
        update();
}

QImage TTrifaceBtn::DoCreateDIBSection() const
{
    return m_Faces.convertToFormat(QImage::Format_RGB888);
}

void TTrifaceBtn::FollowFacesSize()
{
    if (m_AutoShape && !m_Faces.isNull()) {
        setFixedSize(m_Faces.size());
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void TTrifaceBtn::DoShapeButton()
{
    m_LastShapeError.clear();
    FollowFacesSize();
    if (!m_AutoShape || m_Faces.isNull()) {
        clearMask();
        return;
    }
    const QImage dib = DoCreateDIBSection();
    TShapeResult shape;
    if (dib.isNull())
        shape.Error = QStringLiteral("Failed to create DIB section.");
    else
        shape = ShapeRegion(dib, m_TransColor, m_TransTolerance);
    if (shape.Error.isEmpty()) {
        setMask(shape.Region);
        if (mask() != shape.Region)
            shape.Error = QStringLiteral("Failed to set window region.");
    }
    if (!shape.Error.isEmpty()) {
        m_LastShapeError = shape.Error;
        clearMask();
        DebugPrint("Exception(%s::DoShapeButton): %s", metaObject()->className(),
                   qUtf8Printable(shape.Error));
    }
    DoRedrawButton();
}
