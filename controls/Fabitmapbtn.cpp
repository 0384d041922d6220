#include "Fabitmapbtn.h"

#include <QPainter>

QImage TFABitmapBtn::HoverFace() const
{
    QImage face = (Faces().isNull() ? FacesOver() : Faces()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (face.isNull() || FacesOver().isNull())
        return face;
    QPainter painter(&face);
    painter.drawImage(-1, -1, FacesOver());
    return face;
}
