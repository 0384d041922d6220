#include "Uwinutil.h"

#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QWidget>

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
