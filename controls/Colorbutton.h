#pragma once

#include <QColor>
#include <QPushButton>

class QPainter;
class TImageList;

// A push button that draws itself: face colour with a 3-D edge, an optional glyph and its caption. The base
// of the skinned bitmap buttons, which replace the face by a picture.
class TColorButton : public QPushButton {
    Q_OBJECT
public:
    // Members of the drawing state, with the values of the owner-draw state they stand for.
    enum DrawStateFlag : unsigned {
        dsSelected = 0x0001,
        dsDisabled = 0x0004,
        dsFocus = 0x0010,
        dsDefault = 0x0020,
    };

    explicit TColorButton(QWidget* parent = nullptr);

    QColor Color() const { return m_Color; }
    void SetColor(const QColor& value);
    QColor ColorLo() const { return m_ColorLo; }
    void SetColorLo(const QColor& value);
    QColor ColorHi() const { return m_ColorHi; }
    void SetColorHi(const QColor& value);
    int GlyphIndex() const { return m_GlyphIndex; }
    void SetGlyphIndex(int value);
    const TImageList* Glyphs() const { return m_Glyphs; }
    // The list is not owned and must outlive the button.
    void SetGlyphs(const TImageList* value);

    // The state the button is drawn in now.
    unsigned DrawState() const;

protected:
    virtual void DoDrawButtonFace(QPainter& painter, unsigned state);
    virtual void DoDrawButtonGlyph(QPainter& painter, unsigned state);
    virtual void DoDrawButtonText(QPainter& painter, unsigned state);

    void paintEvent(QPaintEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    bool HasGlyph() const;
    // Stores a property value and repaints when it changed.
    template <typename T> void Change(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            update();
        }
    }

    QColor m_Color;
    QColor m_ColorLo;
    QColor m_ColorHi;
    int m_GlyphIndex = 0;
    const TImageList* m_Glyphs = nullptr;
};
