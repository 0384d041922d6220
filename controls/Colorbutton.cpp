#include "Colorbutton.h"
#include "Imagelist.h"
#include "app/Udebug.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <cmath>
#include <exception>

namespace {

const QColor WINDOW_FRAME(Qt::black);

// Outlines r one pixel wide inside it, as the window system's frame rectangle does.
void FrameRect(QPainter& painter, const QRect& r, const QColor& color)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.fillRect(r.x(), r.y(), r.width(), 1, color);
    painter.fillRect(r.x(), r.bottom(), r.width(), 1, color);
    painter.fillRect(r.x(), r.y(), 1, r.height(), color);
    painter.fillRect(r.right(), r.y(), 1, r.height(), color);
}

} // namespace

TColorButton::TColorButton(QWidget* parent)
    : QPushButton(parent), m_Color(palette().color(QPalette::Button)),
      m_ColorLo(palette().color(QPalette::Dark)), m_ColorHi(palette().color(QPalette::Light))
{
    // The button paints every pixel of its face itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TColorButton::SetColor(const QColor& value)
{
    Change(m_Color, value);
}

void TColorButton::SetColorLo(const QColor& value)
{
    Change(m_ColorLo, value);
}

void TColorButton::SetColorHi(const QColor& value)
{
    Change(m_ColorHi, value);
}

void TColorButton::SetGlyphIndex(int value)
{
    Change(m_GlyphIndex, value);
}

void TColorButton::SetGlyphs(const TImageList* value)
{
    Change(m_Glyphs, value);
}

unsigned TColorButton::DrawState() const
{
    unsigned state = 0;
    if (isDown())
        state |= dsSelected;
    if (!isEnabled())
        state |= dsDisabled;
    if (hasFocus())
        state |= dsFocus;
    if (isDefault())
        state |= dsDefault;
    return state;
}

bool TColorButton::HasGlyph() const
{
    return m_Glyphs && m_GlyphIndex >= 0 && m_GlyphIndex < m_Glyphs->Count();
}

void TColorButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const unsigned state = DrawState();
    try {
        painter.save();
        DoDrawButtonFace(painter, state);
        painter.restore();
        painter.save();
        DoDrawButtonGlyph(painter, state);
        painter.restore();
        painter.save();
        DoDrawButtonText(painter, state);
        painter.restore();
    } catch (const std::exception& ex) {
        DebugPrint("Exception(TColorButton::paintEvent): %s", ex.what());
    }
}

void TColorButton::DoDrawButtonFace(QPainter& painter, unsigned state)
{
    QRect r = rect();
    if (state & (dsDefault | dsFocus)) {
        FrameRect(painter, r, WINDOW_FRAME);
        r.adjust(1, 1, -1, -1);
    }
    if (state & dsSelected) {
        painter.fillRect(r, m_Color);
        FrameRect(painter, r, m_ColorLo);
        return;
    }
    painter.fillRect(r, m_Color);
    // 3-D frame: light top and left, dark bottom and right, one pixel wide.
    painter.fillRect(r.x(), r.y(), r.width(), 1, m_ColorHi);
    painter.fillRect(r.x(), r.y(), 1, r.height(), m_ColorHi);
    painter.fillRect(r.x(), r.bottom(), r.width(), 1, WINDOW_FRAME);
    painter.fillRect(r.right(), r.y(), 1, r.height(), WINDOW_FRAME);
    r.adjust(1, 1, -1, -1);
    // Inner shadow through (1, bottom - 1), (right - 1, bottom - 1), (right - 1, top - 1); bottom and right
    // are exclusive edges here, so the last pixel of each line is r.bottom() resp. r.right().
    painter.fillRect(1, r.bottom(), r.right() - 1, 1, m_ColorLo);
    painter.fillRect(r.right(), r.y(), 1, r.bottom() - r.y() + 1, m_ColorLo);
}

void TColorButton::DoDrawButtonGlyph(QPainter& painter, unsigned state)
{
    if (!HasGlyph())
        return;
    const int w = fontMetrics().horizontalAdvance(text()) + 2;
    int x = int(std::lrint((width() - w - m_Glyphs->Width()) / 2.0));
    int y = int(std::lrint((height() - m_Glyphs->Height() + 2) / 2.0));
    if (state & dsSelected) {
        ++x;
        ++y;
    }
    if (state & dsDisabled) {
        m_Glyphs->DrawMask(painter, x + 1, y + 1, m_GlyphIndex, m_ColorHi);
        m_Glyphs->DrawMask(painter, x, y, m_GlyphIndex, m_ColorLo);
    } else {
        m_Glyphs->Draw(painter, x, y, m_GlyphIndex);
    }
}

void TColorButton::DoDrawButtonText(QPainter& painter, unsigned state)
{
    if (text().isEmpty())
        return;
    QRect r = rect();
    if (HasGlyph())
        r.setLeft(r.left() + m_Glyphs->Width() + 6);
    if (state & dsSelected)
        r.translate(1, 1);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    painter.setFont(font());
    if (state & dsDisabled) {
        painter.setPen(m_ColorHi);
        painter.drawText(r.translated(1, 1), flags, text());
        painter.setPen(m_ColorLo);
    } else {
        painter.setPen(palette().color(QPalette::ButtonText));
    }
    painter.drawText(r, flags, text());
    if (state & dsFocus) {
        QStyleOptionFocusRect opt;
        opt.initFrom(this);
        opt.rect = rect().adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &painter, this);
    }
}

void TColorButton::mouseDoubleClickEvent(QMouseEvent* e)
{
    // A fast second click counts as a click of its own.
    mousePressEvent(e);
}
