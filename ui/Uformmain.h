#pragma once

#include "Uformbase.h"
#include "Umainpages.h"
#include "Umaintray.h"
#include "engine/Uadaptersession.h"

#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class FormMain;
}

class CThrdCloseForm;
class QAction;
class QMenu;
class TFormAbout;
class TTrayIcon;

// The program's main window: the page tabs of the station and Soft AP modes (TMainPages), the mode switch and
// the tray icon with its menu. It owns the adapter session and shows what it reports; its pages'
// notifications go on to the session. Closing it only hides it; the program ends on the tray menu's Close or
// a second instance's close request.
class TFormMain : public TFormBase {
    Q_OBJECT
public:
    // Tray icon images, numbered as the session's link states.
    enum TrayImage {
        tiDisconnected = CAdapterSession::lsDown,
        tiConnected = CAdapterSession::lsUp,
        tiSoftAP = CAdapterSession::lsSoftAP
    };

    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // Called once by start-up: starts the session with the flags and shows the tray icon on "/TrayIcon".
    void SetStartFlags(uint32_t flags);
    uint32_t StartFlags() const { return m_Session->StartFlags(); }
    CAdapterSession* Session() const { return m_Session.get(); }

    // The only way a page is shown; a page that refuses to be left or entered keeps the current one.
    void SwitchPage(TTrifaceLabel* tab, int extra) { m_Pages->SwitchPage(tab, extra); }
    void SetMode(int mode);
    void UpdateTrayMenu();
    // Asks whether this program shall manage the adapter again; never two questions at a time.
    bool AskManager(QWidget* parent);

    int Mode() const { return m_Session->Mode(); }
    TTrifaceLabel* CurrentTab() const { return m_Pages->CurrentTab(); }
    TPropertyPageFrame* CurrentPage() const { return m_Pages->CurrentPage(); }
    CNICAdapter* Adapter() const { return m_Session->Adapter(); }
    bool Closing() const { return m_Session->Closing(); }
    TTrayIcon* TrayIconMain() const { return m_TrayIcon; }
    QMenu* TrayMenu() const { return m_Tray->Menu(); }
    QAction* MenuItWZC() const { return m_Tray->ItWZC(); }
    QAction* MenuItAutostart() const { return m_Tray->ItAutostart(); }
    QAction* MenuItOpen() const { return m_Tray->ItOpen(); }
    QAction* MenuItClose() const { return m_Tray->ItClose(); }

public Q_SLOTS:
    void MenuItWZCClick();
    void MenuItOpenClick();
    void MenuItCloseClick();
    void BtnHelpClick();
    void BtnAboutClick();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormCreate();
    void ConnectSession();
    void CreateModeSwitch();
    void LoadSkin();
    void LoadMainTexts();
    void CreateTray();
    void ShowMode(int mode);
    // Checks the mode button of `mode`, as a screen reader reads the pair.
    void ShowModeChecked(int mode);
    void AdapterClosed();
    void HandedToManager();
    // Closes the secondary forms, then runs `done` (if any).
    void CloseForms(std::function<void()> done);
    void BtnSoftAPClick();
    void BringToFront();

    std::unique_ptr<Ui::FormMain> ui;
    TMainPages* m_Pages = nullptr;
    TMainTray* m_Tray = nullptr;
    TTrayIcon* m_TrayIcon = nullptr;
    bool m_CloseRequested = false;
    std::unique_ptr<CAdapterSession> m_Session;
    QList<QPointer<CThrdCloseForm>> m_CloseThreads;
    QPointer<TFormAbout> m_About;
};
