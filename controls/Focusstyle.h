#pragma once

#include <QProxyStyle>

// The desktop's style with a keyboard focus a person sees at once: a check box or radio button whose caption
// is a label of its own shows the focus as a ring round its box, and a list (an empty one too) as a frame in
// the highlight colour; the style alone shows either as a faint tint.
class TFocusStyle : public QProxyStyle {
    Q_OBJECT
public:
    TFocusStyle();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};
