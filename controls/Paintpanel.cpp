#include "Paintpanel.h"

void TPaintPanel::paintEvent(QPaintEvent* e)
{
    if (OnPaint)
        OnPaint(this);
    else
        QFrame::paintEvent(e);
}
