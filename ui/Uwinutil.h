#pragma once

#include <QColor>

class QComboBox;
class QMouseEvent;
class QPoint;
class QWidget;

// Brings a window to the front and gives it the focus, also when another application is active.
void ForceForeground(QWidget* window);
// Centres `window` on `reference` when that is shown, else on the screen (the reference's, or the primary
// one); halves are truncated toward zero.
void CenterOnForm(QWidget* window, const QWidget* reference);
// Selects the first item whose integer value (item data) equals `value`; false leaves the selection alone.
bool SelectComboByValue(QComboBox* combo, int value);
// Lets the user move a borderless window by dragging `e`'s widget: a press records the grip in `grip`, a
// move with the left button held moves the window.
void DragWindow(QWidget* window, const QMouseEvent* e, QPoint& grip);

// Text colours of the skin: white on the dark heading bands, slate for captions, navy for values.
inline const QColor SKIN_HEADER_TEXT{Qt::white};
inline const QColor SKIN_CAPTION_TEXT{0x50, 0x64, 0x79};
inline const QColor SKIN_VALUE_TEXT{0x15, 0x30, 0x4c};
void SetTextColor(QWidget* w, const QColor& color);
