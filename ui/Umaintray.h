#pragma once

#include <QObject>

class CAdapterSession;
class QAction;
class QMenu;
class QWidget;
class TTrayIcon;

// The main window's tray icon and its menu: the picture and tip for the link, the switch to the system's
// wireless manager, the desktop's autostart entry, Open and Close. The window connects the items it serves.
class TMainTray : public QObject {
    Q_OBJECT
public:
    explicit TMainTray(QWidget* window);

    TTrayIcon* Icon() const { return m_Icon; }
    QMenu* Menu() const { return m_Menu; }
    QAction* ItWZC() const { return m_ItWZC; }
    QAction* ItAutostart() const { return m_ItAutostart; }
    QAction* ItOpen() const { return m_ItOpen; }
    QAction* ItClose() const { return m_ItClose; }

    void SetIndex(int index);
    // `text` (cut to what the tip holds), or the product's name when it is empty.
    void SetHint(const QString& text);
    // Captions from the language file, the autostart entry as it is now, and the manager switch, which shows
    // only with an adapter on a system that has a manager. The right button shows the menu so refreshed.
    void UpdateMenu();
    // The picture and the tip follow the link, the icon shows once an adapter is ready, and the menu serves
    // the session's adapter.
    void Follow(const CAdapterSession* session);

private:
    void ItAutostartClick(bool checked);

    QWidget* m_Window;
    const CAdapterSession* m_Session = nullptr;
    TTrayIcon* m_Icon;
    QMenu* m_Menu;
    QAction* m_ItWZC;
    QAction* m_N1;
    QAction* m_ItAutostart;
    QAction* m_ItOpen;
    QAction* m_ItClose;
};
