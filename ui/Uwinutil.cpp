#include "Uwinutil.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

void ForceForeground(QWidget* window)
{
    if (QApplication::activeWindow() == window)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void CenterOnForm(QWidget* window, const QWidget* reference)
{
    QRect ref;
    if (reference && reference->isVisible()) {
        // move() places the window's frame, so the reference is its frame too.
        ref = reference->frameGeometry();
    } else {
        const QScreen* screen = reference ? reference->screen() : QGuiApplication::primaryScreen();
        if (screen)
            ref = screen->availableGeometry();
    }
    window->move(ref.x() + (ref.width() - window->width()) / 2,
                 ref.y() + (ref.height() - window->height()) / 2);
}

bool SelectComboByValue(QComboBox* combo, int value)
{
    const int index = combo->findData(value);
    if (index < 0)
        return false;
    combo->setCurrentIndex(index);
    return true;
}

void DragWindow(QWidget* window, const QMouseEvent* e, QPoint& grip)
{
    const QPoint global = e->globalPosition().toPoint();
    if (e->type() == QEvent::MouseButtonPress) {
        grip = global - window->pos();
        return;
    }
    if (!(e->buttons() & Qt::LeftButton))
        return;
    // The window manager moves the window best (snapping, screen edges); where it cannot, the window follows
    // the mouse itself.
    if (window->windowHandle() && window->windowHandle()->startSystemMove())
        return;
    window->move(global - grip);
}

void SetTextColor(QWidget* w, const QColor& color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    w->setPalette(pal);
}
