#pragma once

#include "Uformbase.h"

#include <QPoint>
#include <QString>
#include <memory>

namespace Ui {
class FormAbout;
}

// What the about box shows of the adapter's driver; the main window fills it from the adapter object.
struct TDriverTexts {
    QString Version;
    QString Path;
};

// The about box: product name, notices, the driver's and the program's versions on the skin's background,
// which the user drags to move the window.
class TFormAbout : public TFormBase {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);
    QAccessible::Role WindowRole() const override { return QAccessible::Dialog; }
    ~TFormAbout() override;

    // Shows the driver of the current adapter (null when there is none), centres the box on the main window
    // (or the screen while that is hidden) and shows it modally; returns the modal result.
    int ShowAbout(QWidget* mainWindow, const TDriverTexts* driver);
    void SetDriver(const TDriverTexts* driver);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormCreate();
    void DragBackground(QMouseEvent* e);

    std::unique_ptr<Ui::FormAbout> ui;
    // Offset of the press point from the window's corner while it follows the mouse by itself.
    QPoint m_DragOffset;
};
