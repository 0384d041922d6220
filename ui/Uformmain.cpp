#include "Uformmain.h"
#include "Uwinutil.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"

#include <QApplication>
#include <QCloseEvent>

namespace {

constexpr int MAIN_WIDTH = 800;
constexpr int MAIN_HEIGHT = 480;

} // namespace

TFormMain::TFormMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(g_Var.AppTitle);
    setFixedSize(MAIN_WIDTH, MAIN_HEIGHT);
}

void TFormMain::SetStartFlags(uint32_t flags)
{
    m_StartFlags = flags;
}

bool TFormMain::event(QEvent* e)
{
    if (e->type() == NotifyMsg() && NotifyMsg() != 0) {
        auto* n = static_cast<TNotifyEvent*>(e);
        n->Result = HandleNotify(n->Code, n->Value);
        return true;
    }
    return QWidget::event(e);
}

int TFormMain::HandleNotify(int code, int value)
{
    Q_UNUSED(value);
    switch (code) {
    case 1:
        ShowMainWindow();
        return 1;
    case 9:
        DebugPrint("WPM_CLOSEALL");
        CloseProgram();
        return 1;
    default:
        return 0;
    }
}

void TFormMain::ShowMainWindow()
{
    show();
    ForceForeground(this);
}

void TFormMain::CloseProgram()
{
    QCoreApplication::quit();
}

void TFormMain::closeEvent(QCloseEvent* e)
{
    e->ignore();
    hide();
}
