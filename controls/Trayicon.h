#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QTimer>

class QMenu;
class QSystemTrayIcon;
class QWidget;
class TImageList;

// The program's icon in the desktop's status area: an icon picked from an image list, a tip text, and the
// mouse actions on it turned into events. Where the desktop has no status area the component keeps its
// state and shows nothing.
class TTrayIcon : public QObject {
    Q_OBJECT
public:
    enum MouseAction {
        imClick,
        imDoubleClick,
        imMouseDown,
        imMouseUp,
        imLeftClickUp,
        imLeftDoubleClick,
        imRightClickUp,
        imRightDoubleClick,
        imNone
    };
    // The mouse messages the status area reports.
    enum MouseMessage {
        mmMove,
        mmLeftDown,
        mmLeftUp,
        mmLeftDbl,
        mmRightDown,
        mmRightUp,
        mmRightDbl,
        mmMiddleDown,
        mmMiddleUp,
        mmMiddleDbl
    };
    // Longest hint plus one: a hint must be shorter.
    static constexpr int HINT_LIMIT = 64;

    explicit TTrayIcon(QObject* parent = nullptr);
    ~TTrayIcon() override;

    bool Visible() const { return m_Visible; }
    void SetVisible(bool value);
    bool Hide() const { return m_Hide; }
    const QString& Hint() const { return m_Hint; }
    void SetHint(const QString& value);
    const TImageList* Icons() const { return m_Icons; }
    // The list is not owned and must outlive the component.
    void SetIcons(const TImageList* value);
    int IconIndex() const { return m_IconIndex; }
    void SetIconIndex(int value);
    bool Animate() const { return m_Animate; }
    void SetAnimate(bool value);
    int AnimateInterval() const { return m_Timer.interval(); }
    void SetAnimateInterval(int ms);
    MouseAction RestoreOn() const { return m_RestoreOn; }
    void SetRestoreOn(MouseAction value) { m_RestoreOn = value; }
    MouseAction PopupMenuOn() const { return m_PopupMenuOn; }
    void SetPopupMenuOn(MouseAction value) { m_PopupMenuOn = value; }
    QMenu* PopupMenu() const { return m_PopupMenu; }
    void SetPopupMenu(QMenu* value) { m_PopupMenu = value; }
    // The window restored and minimised; the component watches its minimise requests while visible.
    void SetMainWindow(QWidget* window);

    // The icon shown now.
    const QIcon& CurrentIcon() const { return m_Icon; }
    void Update();
    void Restore();
    void Minimize();
    void ShowMenu();
    // One mouse message on the icon with the cursor position.
    void HandleMouse(MouseMessage message, const QPoint& pos);

Q_SIGNALS:
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void OnMouseMove(Qt::KeyboardModifiers shift, const QPoint& pos);
    void OnMinimize();
    void OnRestore();
    void OnAnimate();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Act(MouseAction action);
    void MouseDown(Qt::MouseButton button, const QPoint& pos);
    void MouseUp(Qt::MouseButton button, const QPoint& pos);
    void Double(MouseAction action);
    void AnimateTick();
    void Hook(bool on);

    // Made when the icon is first shown.
    QSystemTrayIcon* Tray();

    QSystemTrayIcon* m_Tray = nullptr;
    QWidget* m_MainWindow = nullptr;
    QTimer m_Timer;
    QIcon m_Icon;
    QString m_Hint;
    const TImageList* m_Icons = nullptr;
    QMenu* m_PopupMenu = nullptr;
    int m_IconIndex = 0;
    bool m_Visible = false;
    bool m_Hide = true;
    bool m_Animate = false;
    MouseAction m_RestoreOn = imDoubleClick;
    MouseAction m_PopupMenuOn = imNone;
};
