#pragma once

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
