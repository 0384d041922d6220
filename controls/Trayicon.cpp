#include "Trayicon.h"
#include "Imagelist.h"
#include "app/Udebug.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>
#include <QWindowStateChangeEvent>

TTrayIcon::TTrayIcon(QObject* parent) : QObject(parent)
{
    m_Icon = QApplication::windowIcon();
    m_Timer.setInterval(1000);
    connect(&m_Timer, &QTimer::timeout, this, &TTrayIcon::AnimateTick);
}

QSystemTrayIcon* TTrayIcon::Tray()
{
    if (m_Tray)
        return m_Tray;
    // Made when first shown: making one asks the desktop's session bus for a status area, which costs the
    // start-up of a window that has no icon yet (and, without a bus, starts one).
    m_Tray = new QSystemTrayIcon(this);
    m_Tray->setToolTip(m_Hint);
    connect(m_Tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // The status area reports whole clicks; they are split into the messages they stand for.
        const QPoint pos = QCursor::pos();
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            HandleMouse(mmLeftDown, pos);
            HandleMouse(mmLeftUp, pos);
            break;
        case QSystemTrayIcon::DoubleClick:
            HandleMouse(mmLeftDbl, pos);
            break;
        case QSystemTrayIcon::Context:
            HandleMouse(mmRightDown, pos);
            HandleMouse(mmRightUp, pos);
            break;
        case QSystemTrayIcon::MiddleClick:
            HandleMouse(mmMiddleDown, pos);
            HandleMouse(mmMiddleUp, pos);
            break;
        default:
            break;
        }
    });
    return m_Tray;
}

TTrayIcon::~TTrayIcon()
{
    Hook(false);
    if (m_Tray)
        m_Tray->hide();
}

void TTrayIcon::SetVisible(bool value)
{
    if (value == m_Visible)
        return;
    m_Visible = value;
    m_Hide = value;
    Hook(value);
    if (value && !QSystemTrayIcon::isSystemTrayAvailable())
        DebugPrint("TTrayIcon::SetVisible: no status area on this desktop");
    Tray()->setIcon(m_Icon);
    m_Tray->setVisible(value);
}

void TTrayIcon::SetHint(const QString& value)
{
    if (value == m_Hint || value.size() >= HINT_LIMIT)
        return;
    m_Hint = value;
    if (m_Tray)
        m_Tray->setToolTip(value);
    Update();
}

void TTrayIcon::SetIcons(const TImageList* value)
{
    m_Icons = value;
    if (m_Icons)
        SetIconIndex(m_IconIndex);
    else
        m_Icon = QApplication::windowIcon();
    m_Timer.stop();
    if (m_Icons && m_Animate)
        m_Timer.start();
    Update();
}

void TTrayIcon::SetIconIndex(int value)
{
    m_IconIndex = value;
    if (m_Icons) {
        const QIcon icon = m_Icons->Icon(value);
        if (!icon.isNull())
            m_Icon = icon;
    }
    Update();
}

void TTrayIcon::SetAnimate(bool value)
{
    m_Animate = value;
    if (value && m_Icons)
        m_Timer.start();
    else
        m_Timer.stop();
}

void TTrayIcon::SetAnimateInterval(int ms)
{
    m_Timer.setInterval(ms);
}

void TTrayIcon::AnimateTick()
{
    if (!m_Icons || m_Icons->Count() == 0)
        return;
    m_IconIndex = m_IconIndex + 1 < m_Icons->Count() ? m_IconIndex + 1 : 0;
    m_Icon = m_Icons->Icon(m_IconIndex);
    Q_EMIT OnAnimate();
    Update();
}

void TTrayIcon::Update()
{
    if (m_Visible)
        m_Tray->setIcon(m_Icon);
}

void TTrayIcon::SetMainWindow(QWidget* window)
{
    Hook(false);
    m_MainWindow = window;
    Hook(m_Visible);
}

void TTrayIcon::Hook(bool on)
{
    if (!m_MainWindow)
        return;
    if (on)
        m_MainWindow->installEventFilter(this);
    else
        m_MainWindow->removeEventFilter(this);
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_MainWindow && e->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(e);
        const bool wasMin = change->oldState() & Qt::WindowMinimized;
        const bool isMin = m_MainWindow->windowState() & Qt::WindowMinimized;
        if (isMin && !wasMin)
            Minimize();
    }
    return QObject::eventFilter(watched, e);
}

void TTrayIcon::Restore()
{
    if (m_MainWindow) {
        m_MainWindow->setWindowState(m_MainWindow->windowState() & ~Qt::WindowMinimized);
        m_MainWindow->showNormal();
        m_MainWindow->raise();
        m_MainWindow->activateWindow();
    }
    Q_EMIT OnRestore();
}

void TTrayIcon::Minimize()
{
    // Hidden rather than minimised, so no task bar entry stays behind.
    if (m_MainWindow)
        m_MainWindow->hide();
    Q_EMIT OnMinimize();
}

void TTrayIcon::ShowMenu()
{
    if (!m_PopupMenu)
        return;
    if (QWidget* active = QApplication::activeWindow())
        active->activateWindow();
    m_PopupMenu->popup(QCursor::pos());
}

void TTrayIcon::Act(MouseAction action)
{
    if (action == m_RestoreOn)
        Restore();
    if (action == m_PopupMenuOn)
        ShowMenu();
}

void TTrayIcon::MouseDown(Qt::MouseButton button, const QPoint& pos)
{
    Act(imMouseDown);
    Q_EMIT OnMouseDown(button, QApplication::queryKeyboardModifiers(), pos);
}

void TTrayIcon::MouseUp(Qt::MouseButton button, const QPoint& pos)
{
    Act(imMouseUp);
    Q_EMIT OnMouseUp(button, QApplication::queryKeyboardModifiers(), pos);
}

void TTrayIcon::Double(MouseAction action)
{
    Act(imDoubleClick);
    Q_EMIT OnDblClick();
    Act(action);
}

void TTrayIcon::HandleMouse(MouseMessage message, const QPoint& pos)
{
    switch (message) {
    case mmMove:
        Q_EMIT OnMouseMove(QApplication::queryKeyboardModifiers(), pos);
        break;
    case mmLeftDown:
        MouseDown(Qt::LeftButton, pos);
        break;
    case mmLeftUp:
        Act(imClick);
        Q_EMIT OnClick();
        MouseUp(Qt::LeftButton, pos);
        Act(imLeftClickUp);
        break;
    case mmLeftDbl:
        Double(imLeftDoubleClick);
        break;
    case mmRightDown:
        MouseDown(Qt::RightButton, pos);
        break;
    case mmRightUp:
        MouseUp(Qt::RightButton, pos);
        Act(imRightClickUp);
        break;
    case mmRightDbl:
        Q_EMIT OnDblClick();
        Act(imRightDoubleClick);
        break;
    case mmMiddleDown:
        MouseDown(Qt::MiddleButton, pos);
        break;
    case mmMiddleUp:
        MouseUp(Qt::MiddleButton, pos);
        break;
    case mmMiddleDbl:
        Q_EMIT OnDblClick();
        break;
    }
}
