#pragma once

#include "Unicadapter.h"
#include "Uthrddetect.h"
#include "Uthread.h"
#include "app/Udefine.h"

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

// The adapter's life in the program: device detection, the choice of the device to serve, the adapter object
// made for it, its close when the device goes, the connect with the last profile, and the dispatch of every
// notify code. It is the target of the notify message; the window forwards its pages' codes here and shows
// what the signals report. Lives in the GUI thread.
class CAdapterSession : public QObject {
    Q_OBJECT
public:
    // What the link shows, in the numbering of the tray icon's images.
    enum LinkState { lsDown = 0, lsUp = 1, lsSoftAP = 2 };

    explicit CAdapterSession(QObject* parent = nullptr);
    ~CAdapterSession() override;

    // Called once at start-up: keeps the flags and starts device detection.
    void Start(uint32_t flags);
    uint32_t StartFlags() const { return m_StartFlags; }
    // Stops the adapter and device detection and waits for their threads.
    void EndWork();
    // Handles one notify code with its value and returns the answer for a sender that waits.
    int HandleNotify(int code, int value);

    void DeviceChanged(int kind);
    // `plug` tells this plugging in of the device from the next (see CThrdDetect::GetDevices).
    void SelectDevice(const TAdapterDesc& record, const QByteArray& plug = QByteArray());
    // The adapter made by SelectDevice is ready: it is announced and connects with the last profile.
    void AdapterAttached();
    void BeginCloseAdapter();
    void CloseAdapter();
    void AdapterNotify(int code, int value);
    // 0 station, 1 Soft AP. SetMode only records and announces it; SwitchMode also moves the adapter over.
    void SetMode(int mode);
    void SwitchMode(int mode);

    // Every status report, or only the link's changes (the window is hidden); kept for later adapters too.
    void SetChangesOnly(bool on);
    int Mode() const { return m_Mode; }
    CNICAdapter* Adapter() const { return m_Adapter.get(); }
    bool Closing() const { return m_Closing; }

    // Closes what still uses the adapter (the window's secondary forms) and then calls `done`. Without one
    // the adapter is closed at once.
    using TFormCloser = std::function<void(std::function<void()> done)>;
    void SetFormCloser(TFormCloser closer) { m_FormCloser = std::move(closer); }
    // Stores the edited profile for NM_SAVE_PROFILE with the editor's flags; 1 when stored.
    void SetProfileSaver(std::function<int(int flags)> saver) { m_ProfileSaver = std::move(saver); }

Q_SIGNALS:
    void ShowRequested();
    void CloseRequested();
    void PageRequested(int pageCode);
    // Open the editor on the Profile page with this extra value.
    void EditorRequested(int extra);
    void ModeChanged(int mode);
    // The adapter is taken into use in `mode`, or given up while in `mode`.
    void AdapterAttaching(CNICAdapter* adapter, int mode);
    void AdapterDetaching(CNICAdapter* adapter, int mode);
    void AdapterEvent(CNICAdapter* adapter, int code, int value);
    void SoftAPAvailable(bool available);
    // The pages connect with the last profile of `mode`: they know the order the user gave the profiles.
    void ConnectLastRequested(int mode);
    void LinkChanged(LinkState state);
    // A profile is about to be applied: what the link showed is over.
    void Applying();
    void ConnectFailed(const TConnectFailure& failure);
    // The adapter was handed to the system's wireless manager.
    void HandedToManager();
    // The adapter attached without a service start, and it was closed.
    void AdapterReady();
    void AdapterClosed();

protected:
    bool event(QEvent* e) override;

private:
    void SetAdapterAntenna(int mode);
    void UpdateLink();
    void ZeroCfgChanged(bool toZeroCfg);

    uint32_t m_StartFlags = 0;
    int m_Mode = -1;
    bool m_Closing = false;
    bool m_StatusSeen = false;
    bool m_ChangesOnly = false;
    std::optional<TAdapterDesc> m_SelDevice;
    QByteArray m_SelPlug;
    CThrdDetect::Ptr m_Detect;
    TThreadPtr<CNICAdapter> m_Adapter;
    // Made for the selected device and still initialising on its worker; not yet the session's adapter.
    TThreadPtr<CNICAdapter> m_Attaching;
    TFormCloser m_FormCloser;
    std::function<int(int)> m_ProfileSaver;
};
