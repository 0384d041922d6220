#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>

class QPainter;

// Pictures of one size addressed by index, the source of list-view icons, button glyphs and tray icons.
class TImageList {
public:
    TImageList() = default;
    TImageList(int width, int height) : m_Width(width), m_Height(height) {}

    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    int Count() const { return int(m_Images.size()); }
    // Pictures of another size are scaled to the list's size.
    void Add(const QImage& image);
    // Cuts a strip of pictures laid side by side into the list.
    void AddStrip(const QImage& strip);
    // An empty picture for an index out of range.
    QImage Image(int index) const;
    QIcon Icon(int index) const;

    void Draw(QPainter& painter, int x, int y, int index) const;
    // Only the shape of the picture (its non-transparent pixels), in one colour.
    void DrawMask(QPainter& painter, int x, int y, int index, const QColor& color) const;

private:
    int m_Width = 16;
    int m_Height = 16;
    QList<QImage> m_Images;
};
