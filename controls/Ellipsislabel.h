#pragma once

#include <QLabel>

// A caption label that shortens a text too long for it with an ellipsis: at the end, after the last whole
// word, or in the middle of a path.
class TEllipsisLabel : public QLabel {
    Q_OBJECT
public:
    explicit TEllipsisLabel(QWidget* parent = nullptr);

    bool EllipsisEnd() const { return m_EllipsisEnd; }
    void SetEllipsisEnd(bool value);
    bool EllipsisWord() const { return m_EllipsisWord; }
    void SetEllipsisWord(bool value);
    bool EllipsisPath() const { return m_EllipsisPath; }
    void SetEllipsisPath(bool value);

    // The text as drawn into a width of `width` pixels.
    QString DisplayText(int width) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    // Draws the text into `r` in `color`; derived labels move the rectangle or change the colour.
    void DrawText(QPainter& painter, const QRect& r, const QColor& color) const;

private:
    // True when `text` fits into `width` pixels for certain, known without shaping it.
    bool SurelyFits(const QString& text, int width) const;

    bool m_EllipsisEnd = false;
    bool m_EllipsisWord = false;
    bool m_EllipsisPath = false;
};
