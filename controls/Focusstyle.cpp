#include "Focusstyle.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOption>

namespace {

constexpr int RING_WIDTH = 2;

void DrawRing(QPainter* painter, const QRect& r, const QColor& color)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(color, 0));
    painter->setBrush(Qt::NoBrush);
    // From the outermost pixel in: a list's own parts cover all but its frame.
    for (int i = 0; i < RING_WIDTH; ++i)
        painter->drawRect(r.adjusted(i, i, -1 - i, -1 - i));
    painter->restore();
}

} // namespace

TFocusStyle::TFocusStyle() : QProxyStyle() {}

void TFocusStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    if (!(option->state & State_HasFocus))
        return;
    const QColor color = option->palette.color(QPalette::Highlight);
    if (element == CE_CheckBox || element == CE_RadioButton) {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        // With a caption of its own the style frames the caption; a box alone only gets the tint.
        if (!button || !button->text.isEmpty())
            return;
        DrawRing(painter, option->rect, color);
    } else if (element == CE_ShapedFrame && qobject_cast<const QAbstractItemView*>(widget)) {
        DrawRing(painter, option->rect, color);
    }
}
