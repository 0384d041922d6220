#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <QList>
#include <memory>

class QLabel;
class TLevelRow;

namespace Ui {
class FrameLinkInfo;
}

// The Link Info: the state of the wireless link. It has no timer of its own; it follows the adapter's status
// reports.
class TFrameLinkInfo : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameLinkInfo(QWidget* parent = nullptr);
    ~TFrameLinkInfo() override;

    void InitPage() override;
    void ClearPage() override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    // Lamps lit for a level in dBm: any non-zero percent lights at least one.
    static int LampCount(int dbm);

    // Shows the adapter's last status report; while the page is hidden it only follows the connect.
    void RefreshStatus();
    void ConnectStarted();
    void BtnTChartClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void CreateLamps();
    // The link is up: a connect that was waiting for it is over, and its address renewed when so set.
    void LinkUp();
    void ShowDisconnected();
    void ShowStatus(const WLANStatus& status);
    void ShowAuthentication(const WLANStatus& status);
    // The authentication shown for the applied profile, by its encryption method.
    QString ProfileAuthenText(uint32_t authMode) const;
    void ShowIP(const NetworkInfo& network);
    void ShowRates(const WLANStatus& status);
    void ResetRateSample() { m_SampleTick = 0; }
    void ClearValues();
    // The line that says why the last connect failed, from the adapter's report; empty hides it.
    void ShowConnectFailure();
    bool UnderZeroCfg() const;

    std::unique_ptr<Ui::FrameLinkInfo> ui;
    TLevelRow* m_SignalLamps = nullptr;
    TLevelRow* m_QualityLamps = nullptr;
    CNICAdapter* m_Adapter = nullptr;
    bool m_ShowProfile = false;
    WLProfile m_Profile{};
    bool m_Connecting = false;
    uint64_t m_PrevRx = 0;
    uint64_t m_PrevTx = 0;
    uint32_t m_SampleTick = 0;
};
