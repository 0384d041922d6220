#pragma once

#include "Trifacebtn.h"

// The pages' bitmap button. It differs from TTrifaceBtn only under the mouse: the hover face is laid over
// the normal one shifted a pixel up and left, so the button seems to lift. Pixels of the transparent colour
// of the hover face are not laid over.
class TFABitmapBtn : public TTrifaceBtn {
    Q_OBJECT
public:
    explicit TFABitmapBtn(QWidget* parent = nullptr) : TTrifaceBtn(parent) {}

protected:
    QImage HoverFace() const override;
};
