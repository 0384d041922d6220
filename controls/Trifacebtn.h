#pragma once

#include "Colorbutton.h"

#include <QImage>
#include <QRegion>

// The opaque part of a button face, made of one-pixel-high runs that the window system takes in batches.
struct TShapeResult {
    QRegion Region;
    int Batches = 0; // region-creation calls made
    QString Error;   // empty on success
};

// Most rectangles handed to one region-creation call.
constexpr int SHAPE_BATCH_RECTS = 1000;
// Pixels of the focus ring inside a button's outline.
constexpr int FOCUS_RING_WIDTH = 2;

// The band `thickness` pixels wide along the inside of `shape`'s edges.
QRegion OutlineOf(const QRegion& shape, int thickness);

// A pixel is transparent when its RGB distance to `trans` is at most `tolerance` (a negative tolerance makes
// every pixel opaque). `face` must be 24-bit RGB.
TShapeResult ShapeRegion(const QImage& face, const QColor& trans, int tolerance);

// A button drawn from pictures: separate faces for normal, pressed, hovered and disabled, optionally cut to
// the shape of the normal face. Used by the main window and the shared dialogs.
class TTrifaceBtn : public TColorButton {
    Q_OBJECT
public:
    explicit TTrifaceBtn(QWidget* parent = nullptr);

    const QImage& Faces() const { return m_Faces; }
    void SetFaces(const QImage& value);
    const QImage& FacesDown() const { return m_FacesDown; }
    void SetFacesDown(const QImage& value);
    const QImage& FacesOver() const { return m_FacesOver; }
    void SetFacesOver(const QImage& value);
    const QImage& FacesDisable() const { return m_FacesDisable; }
    void SetFacesDisable(const QImage& value);
    bool NoFocusRect() const { return m_NoFocusRect; }
    void SetNoFocusRect(bool value);
    bool AutoShape() const { return m_AutoShape; }
    void SetAutoShape(bool value);
    QColor TransColor() const { return m_TransColor; }
    void SetTransColor(const QColor& value);
    int16_t TransTolerance() const { return m_TransTolerance; }
    void SetTransTolerance(int16_t value);
    // Colour of the ring that follows the button's outline while it has the keyboard focus.
    QColor FocusColor() const { return m_FocusColor; }
    void SetFocusColor(const QColor& value);

    bool Hover() const { return m_Hover; }
    // The picture drawn in `state`; empty when the button is drawn as a plain colour button.
    QImage FaceFor(unsigned state) const;
    // Why the last shaping left the button rectangular; empty when it succeeded.
    const QString& LastShapeError() const { return m_LastShapeError; }

protected:
    // The face shown under the mouse.
    virtual QImage HoverFace() const;
    virtual void DoRedrawButton();
    virtual QImage DoCreateDIBSection() const;
    virtual void DoShapeButton();

    void DoDrawButtonFace(QPainter& painter, unsigned state) override;
    void DoDrawButtonText(QPainter& painter, unsigned state) override;

    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    bool SetFace(QImage& face, const QImage& value);
    void SetHover(bool value);
    void FollowFacesSize();
    void DrawFocusCorners(QPainter& painter) const;
    void DrawFocusRing(QPainter& painter) const;

    QImage m_Faces;
    QImage m_FacesDown;
    QImage m_FacesOver;
    QImage m_FacesDisable;
    bool m_NoFocusRect = false;
    bool m_AutoShape = false;
    QColor m_TransColor{0xFF, 0x00, 0xFF};
    int16_t m_TransTolerance = 0;
    QColor m_FocusColor;
    bool m_Hover = false;
    QString m_LastShapeError;
};
