#include "Uwinutil.h"

#include <QApplication>
#include <QComboBox>
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

bool SelectComboByValue(QComboBox* combo, int value)
{
    const int index = combo->findData(value);
    if (index < 0)
        return false;
    combo->setCurrentIndex(index);
    return true;
}
