#pragma once

#include "Uformbase.h"
#include "app/Udefine.h"
#include "engine/Uthrddetect.h"
#include "engine/Uthread.h"

#include <QImage>
#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace Ui {
class FormMain;
}

class CNICAdapter;
class CThrdCloseForm;
class QAction;
class QMenu;
class TFormAbout;
class TPropertyPageFrame;
class TTrayIcon;
class TTrifaceLabel;

// The program's main window: the page tabs of the station and Soft AP modes, the mode switch, the tray icon
// with its menu, and the adapter it serves. Every notification of the adapter, the detection thread and a
// second instance arrives here and is passed on to the pages. Closing it only hides it; the program ends on
// the tray menu's Close or a second instance's close request.
class TFormMain : public TFormBase {
    Q_OBJECT
public:
    // Tray icon images.
    enum TrayImage { tiDisconnected = 0, tiConnected = 1, tiSoftAP = 2 };

    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // Called once by start-up: keeps the flags, starts device detection and shows the tray icon on
    // "/TrayIcon".
    void SetStartFlags(uint32_t flags);
    uint32_t StartFlags() const { return m_StartFlags; }
    // Stops the adapter and device detection and waits for their threads, as the window's end does. For an
    // end that cannot wait for the window (the display went away); the window is not used after it.
    void EndWork();
    // Handles one notify code with its value and returns the answer for a sender that waits.
    int HandleNotify(int code, int value);

    // The only way a page is shown; a page that refuses to be left or entered keeps the current one.
    void SwitchPage(TTrifaceLabel* tab, int extra);
    void SetMode(int mode);
    // 1 Link Info, 2 Profile, 3 Site Survey (opened on request), 4 AP Link Info.
    void ShowPageByCode(int code);
    void DeviceChanged(int kind);
    // `plug` tells this plugging in of the device from the next (see CThrdDetect::GetDevices).
    void SelectDevice(const TAdapterDesc& record, const QByteArray& plug = QByteArray());
    // The adapter made by SelectDevice is ready: the pages get it and it connects with the last profile.
    void AdapterAttached();
    void BeginCloseAdapter();
    void CloseAdapter();
    void AdapterNotify(int code, int value);
    void UpdateTrayIcon();
    void UpdateTrayMenu();
    // The first Soft AP profile of the adapter, else its default one.
    void LoadAPProfile(WLProfile& target);
    void WZCChanged(bool toZeroCfg);
    // Asks whether this program shall manage the adapter again; never two questions at a time.
    bool AskManager(QWidget* parent);

    int Mode() const { return m_Mode; }
    TTrifaceLabel* CurrentTab() const { return m_CurTab; }
    TPropertyPageFrame* CurrentPage() const { return m_CurPage; }
    CNICAdapter* Adapter() const { return m_Adapter.get(); }
    bool Closing() const { return m_Closing; }
    TTrayIcon* TrayIconMain() const { return m_TrayIcon; }
    QMenu* TrayMenu() const { return m_TrayMenu; }
    QAction* MenuItWZC() const { return m_MenuItWZC; }
    QAction* MenuItAutostart() const { return m_MenuItAutostart; }
    QAction* MenuItOpen() const { return m_MenuItOpen; }
    QAction* MenuItClose() const { return m_MenuItClose; }

public Q_SLOTS:
    void MenuItWZCClick();
    void MenuItAutostartClick(bool checked);
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
    void LoadSkin();
    void LoadMainTexts();
    void CreateTrayIcon();
    const TTabPage* FindTab(const TTrifaceLabel* tab) const;
    void FocusPageList(TPropertyPageFrame* page, const char* listName, int place);
    void BroadcastSetAdapter(CNICAdapter* adapter, int kind, int value);
    void BroadcastAdapterEvent(CNICAdapter* adapter, int code, int value);
    void SetAdapterAntenna(int mode);
    void ConnectLast(int mode);
    void SetTrayIndex(int index);
    // Every status report while the window is shown, only the link's changes while it is hidden.
    void PaceStatusReports();
    // The tray icon's tip: `text` (cut to what the tip holds), or the product's name when it is empty.
    void SetTrayHint(const QString& text);
    void StartCloseForms(CThrdCloseForm* thread);
    void LbLinkInfoMouseDown();
    // Ctrl+Tab and Ctrl+Shift+Tab step through the tabs of the current mode, Ctrl+1 to Ctrl+4 pick one.
    void CreateTabKeys();
    QList<TTrifaceLabel*> ModeTabs() const;
    void StepTab(int step);
    void SwitchToTab(int index);
    void BtnSoftAPClick();
    void TrayIconMainMouseUp(Qt::MouseButton button, const QPoint& pos);
    void BringToFront();

    std::unique_ptr<Ui::FormMain> ui;
    std::array<TTabPage, 7> m_Tabs{};
    QList<TPropertyPageFrame*> m_Pages;
    TTrayIcon* m_TrayIcon = nullptr;
    QMenu* m_TrayMenu = nullptr;
    QAction* m_MenuItWZC = nullptr;
    QAction* m_N1 = nullptr;
    QAction* m_MenuItAutostart = nullptr;
    QAction* m_MenuItOpen = nullptr;
    QAction* m_MenuItClose = nullptr;

    uint32_t m_StartFlags = 0;
    int m_Mode = -1;
    TTrifaceLabel* m_CurTab = nullptr;
    TPropertyPageFrame* m_CurPage = nullptr;
    QImage m_CurPicture;
    bool m_CloseRequested = false;
    bool m_Closing = false;
    bool m_StatusSeen = false;
    std::optional<TAdapterDesc> m_SelDevice;
    QByteArray m_SelPlug;
    CThrdDetect::Ptr m_Detect;
    TThreadPtr<CNICAdapter> m_Adapter;
    // Made for the selected device and still initialising on its worker; not yet the window's adapter.
    TThreadPtr<CNICAdapter> m_Attaching;
    QList<QPointer<CThrdCloseForm>> m_CloseThreads;
    QPointer<TFormAbout> m_About;
};
