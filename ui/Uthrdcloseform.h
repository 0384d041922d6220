#pragma once

#include <QPointer>
#include <QThread>
#include <functional>

// Closes the program's modal forms one by one, newest first, before the main window gives up its adapter,
// then runs its termination handler. All work on the forms happens in the GUI thread; this thread only paces
// it. It deletes itself after the handler has run.
class CThrdCloseForm : public QThread {
    Q_OBJECT
public:
    // `mainWindow` lives in the GUI thread and is never closed; `topModalForm` answers the newest modal form
    // (or null) and is only ever called in the GUI thread. Neither may be null.
    CThrdCloseForm(QObject* mainWindow, std::function<QObject*()> topModalForm);

    // Runs in the GUI thread after the last form is closed. Set it before start().
    std::function<void()> OnTerminate;

protected:
    void run() override;

private:
    // One round, in the GUI thread: asks the newest modal form to close unless it was the one asked last.
    // False when no form other than the main window is left.
    bool CloseTopForm(QPointer<QObject>& last);

    QObject* m_MainWindow;
    std::function<QObject*()> m_TopModalForm;
};
