#include "Imagelist.h"

#include <QPainter>

void TImageList::Add(const QImage& image)
{
    if (image.isNull() || m_Width <= 0 || m_Height <= 0)
        return;
    QImage img = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (img.size() != QSize(m_Width, m_Height))
        img = img.scaled(m_Width, m_Height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_Images.append(img);
}

void TImageList::AddStrip(const QImage& strip)
{
    if (m_Width <= 0)
        return;
    for (int x = 0; x + m_Width <= strip.width(); x += m_Width)
        Add(strip.copy(x, 0, m_Width, qMin(m_Height, strip.height())));
}

QImage TImageList::Image(int index) const
{
    return index >= 0 && index < Count() ? m_Images.at(index) : QImage();
}

QIcon TImageList::Icon(int index) const
{
    const QImage img = Image(index);
    return img.isNull() ? QIcon() : QIcon(QPixmap::fromImage(img));
}

void TImageList::Draw(QPainter& painter, int x, int y, int index) const
{
    const QImage img = Image(index);
    if (!img.isNull())
        painter.drawImage(x, y, img);
}

void TImageList::DrawMask(QPainter& painter, int x, int y, int index, const QColor& color) const
{
    QImage img = Image(index);
    if (img.isNull())
        return;
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(img.rect(), color);
    p.end();
    painter.drawImage(x, y, img);
}
