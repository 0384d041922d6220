#pragma once

#include "Uformbase.h"
#include "Umaintray.h"
#include "engine/Uadaptersession.h"

#include <QImage>
#include <QPointer>
#include <array>
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
class TPropertyPageFrame;
class TTrayIcon;
class TTrifaceLabel;

// The program's main window: the page tabs of the station and Soft AP modes, the mode switch and the tray
// icon with its menu. It owns the adapter session and shows what it reports; its pages' notifications go on
// to the session. Closing it only hides it; the program ends on the tray menu's Close or a second instance's
// close request.
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
    void SwitchPage(TTrifaceLabel* tab, int extra);
    void SetMode(int mode);
    // A PageCode.
    void ShowPageByCode(int code);
    void UpdateTrayMenu();
    // Asks whether this program shall manage the adapter again; never two questions at a time.
    bool AskManager(QWidget* parent);

    int Mode() const { return m_Session->Mode(); }
    TTrifaceLabel* CurrentTab() const { return m_CurTab; }
    TPropertyPageFrame* CurrentPage() const { return m_CurPage; }
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
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    struct TTabPage {
        TTrifaceLabel* Tab;
        TPropertyPageFrame* Page;
        const char* Picture;
    };

    void FormCreate();
    void ConnectSession();
    void LoadSkin();
    void LoadMainTexts();
    void CreateTray();
    const TTabPage* FindTab(const TTrifaceLabel* tab) const;
    void FocusPageList(TPropertyPageFrame* page, const char* listName, int place);
    void ShowMode(int mode);
    void BroadcastSetAdapter(CNICAdapter* adapter, int kind, int value);
    // Checks the mode button of `mode`, as a screen reader reads the pair.
    void ShowModeChecked(int mode);
    void ConnectLast(int mode);
    void AdapterClosed();
    void HandedToManager();
    // Closes the secondary forms, then runs `done` (if any).
    void CloseForms(std::function<void()> done);
    void LbLinkInfoMouseDown();
    void BtnSoftAPClick();
    void BringToFront();

    std::unique_ptr<Ui::FormMain> ui;
    std::array<TTabPage, 7> m_Tabs{};
    QList<TPropertyPageFrame*> m_Pages;
    TMainTray* m_Tray = nullptr;
    TTrayIcon* m_TrayIcon = nullptr;

    TTrifaceLabel* m_CurTab = nullptr;
    TPropertyPageFrame* m_CurPage = nullptr;
    QImage m_CurPicture;
    bool m_CloseRequested = false;
    std::unique_ptr<CAdapterSession> m_Session;
    QList<QPointer<CThrdCloseForm>> m_CloseThreads;
    QPointer<TFormAbout> m_About;
};
