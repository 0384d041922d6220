#include "Trifacelabel.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int FOCUS_MARGIN = 4;
constexpr int FOCUS_PEN = 2;

} // namespace

TTrifaceLabel::TTrifaceLabel(QWidget* parent) : TEllipsisLabel(parent)
{
    const QColor font = palette().color(foregroundRole());
    m_FontCr[0] = m_FontCr[1] = m_FontCr[2] = font;
    setMouseTracking(true);
}

void TTrifaceLabel::SetFontCr(int kind, const QColor& color)
{
    if (kind < ckNormal || kind > ckDown)
        return;
    m_FontCr[kind - 1] = color;
    update();
}

void TTrifaceLabel::SetOffsetTop(int value)
{
    m_OffsetTop = value;
    update();
}

void TTrifaceLabel::SetState(int state)
{
    if (state != m_State) {
        m_State = state;
        update();
    }
}

void TTrifaceLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = contentsRect().adjusted(0, m_OffsetTop, 0, m_OffsetTop).intersected(rect());
    DrawText(painter, r, CurrentColor());
    if (hasFocus())
        DrawFocus(painter, r);
}

void TTrifaceLabel::DrawFocus(QPainter& painter, const QRect& r) const
{
    // A frame round the caption in its own colour: the tab's picture is dark and light in places, the caption
    // always stands out from it.
    const QFontMetrics metrics(font());
    QRect around = metrics.boundingRect(r, int(alignment()), text());
    around.adjust(-FOCUS_MARGIN, -FOCUS_MARGIN / 2, FOCUS_MARGIN, FOCUS_MARGIN / 2);
    painter.setPen(QPen(CurrentColor(), FOCUS_PEN, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(around.intersected(rect().adjusted(1, 1, -2, -2)));
}

void TTrifaceLabel::enterEvent(QEnterEvent* e)
{
    if (m_State == msNormal)
        SetState(msOver);
    TEllipsisLabel::enterEvent(e);
}

void TTrifaceLabel::leaveEvent(QEvent* e)
{
    // A pressed tab stays pressed until the button is released.
    if (m_State == msOver)
        SetState(msNormal);
    TEllipsisLabel::leaveEvent(e);
}

void TTrifaceLabel::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        SetState(msDown);
    Q_EMIT MouseDown(e->button());
    TEllipsisLabel::mousePressEvent(e);
}

void TTrifaceLabel::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        SetState(rect().contains(e->position().toPoint()) ? msOver : msNormal);
    TEllipsisLabel::mouseReleaseEvent(e);
}

void TTrifaceLabel::mouseMoveEvent(QMouseEvent* e)
{
    if (m_State == msNormal)
        SetState(e->buttons() & Qt::LeftButton ? msDown : msOver);
    TEllipsisLabel::mouseMoveEvent(e);
}
