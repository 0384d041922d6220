#include "Ellipsislabel.h"

#include <QPainter>
#include <algorithm>

TEllipsisLabel::TEllipsisLabel(QWidget* parent) : QLabel(parent) {}

void TEllipsisLabel::SetEllipsisEnd(bool value)
{
    m_EllipsisEnd = value;
    update();
}

void TEllipsisLabel::SetEllipsisWord(bool value)
{
    m_EllipsisWord = value;
    update();
}

void TEllipsisLabel::SetEllipsisPath(bool value)
{
    m_EllipsisPath = value;
    update();
}

bool TEllipsisLabel::SurelyFits(const QString& text, int width) const
{
    // Spacing set on the font widens every glyph beyond what the metrics promise.
    if (font().resolveMask() & (QFont::LetterSpacingResolved | QFont::WordSpacingResolved))
        return false;
    // Printable ASCII is one glyph a character from the label's own font; one glyph more covers kerning.
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u' ' && c <= u'~'; });
    return plain && (qint64(text.size()) + 1) * fontMetrics().maxWidth() <= width;
}

QString TEllipsisLabel::DisplayText(int width) const
{
    // Measuring a text shapes it, and drawing shapes it again: a value that changes every few seconds would
    // pay twice for each change. A short one in a wide label is drawn as it is.
    if (SurelyFits(text(), width))
        return text();
    const QFontMetrics fm = fontMetrics();
    if (m_EllipsisPath)
        return fm.elidedText(text(), Qt::ElideMiddle, width);
    if (m_EllipsisEnd)
        return fm.elidedText(text(), Qt::ElideRight, width);
    if (!m_EllipsisWord || fm.horizontalAdvance(text()) <= width)
        return text();
    // Cut after the last word that still fits together with the ellipsis.
    const QString ellipsis(QChar(0x2026));
    QString shown = text();
    while (!shown.isEmpty() && fm.horizontalAdvance(shown + ellipsis) > width) {
        const qsizetype blank = shown.lastIndexOf(QLatin1Char(' '));
        shown = blank > 0 ? shown.left(blank) : fm.elidedText(shown, Qt::ElideRight, width);
        if (blank <= 0)
            return shown;
    }
    return shown + ellipsis;
}

void TEllipsisLabel::DrawText(QPainter& painter, const QRect& r, const QColor& color) const
{
    painter.setFont(font());
    painter.setPen(color);
    int flags = int(alignment());
    if (wordWrap() && !(m_EllipsisEnd || m_EllipsisWord || m_EllipsisPath))
        flags |= Qt::TextWordWrap;
    else
        flags |= Qt::TextSingleLine;
    painter.drawText(r, flags, DisplayText(r.width()));
}

void TEllipsisLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawText(painter, contentsRect(), palette().color(foregroundRole()));
}
