#include "Uthrdcloseform.h"
#include "app/Udebug.h"

namespace {

// Pause between two looks at the modal forms while a form is closing.
constexpr int CLOSE_POLL_MS = 10;

} // namespace

CThrdCloseForm::CThrdCloseForm(QObject* mainWindow, std::function<QObject*()> topModalForm)
    : m_MainWindow(mainWindow), m_TopModalForm(std::move(topModalForm))
{
    connect(this, &QThread::finished, m_MainWindow, [this] {
        if (OnTerminate)
            OnTerminate();
    });
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void CThrdCloseForm::run()
{
    // Touched only in the GUI thread; QPointer keeps a new form at a freed form's address from passing for
    // the form already asked.
    QPointer<QObject> last;
    bool busy = true;
    while (busy) {
        // Stays false when the main window goes away before the call could run.
        busy = false;
        QMetaObject::invokeMethod(
            m_MainWindow, [this, &last, &busy] { busy = CloseTopForm(last); }, Qt::BlockingQueuedConnection);
        if (busy)
            QThread::msleep(CLOSE_POLL_MS);
    }
}

bool CThrdCloseForm::CloseTopForm(QPointer<QObject>& last)
{
    QObject* form = m_TopModalForm();
    if (!form || form == m_MainWindow) {
        last = nullptr;
        return false;
    }
    if (form != last) {
        last = form;
        DebugPrint("CThrdCloseForm: closing %s", qPrintable(form->objectName()));
        QMetaObject::invokeMethod(form, "close", Qt::DirectConnection);
    }
    return true;
}
