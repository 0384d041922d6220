#include "Fabitmapbtn.h"

#include <QPainter>

QImage TFABitmapBtn::HoverFace() const
{
    QImage face =
        (Faces().isNull() ? FacesOver() : Faces()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (face.isNull() || FacesOver().isNull())
        return face;
    // Only the shape of the hover face is laid over: its key-coloured surround would show as a fringe.
    const TShapeResult shape =
        ShapeRegion(FacesOver().convertToFormat(QImage::Format_RGB888), TransColor(), TransTolerance());
    QPainter painter(&face);
    painter.setClipRegion(shape.Region.translated(-1, -1));
    painter.drawImage(-1, -1, FacesOver());
    return face;
}
