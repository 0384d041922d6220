#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameAdapter;
}

// The Adapter page: transfer rate, preamble and power saving of the profile being applied. The rates
// offered are those the adapter's settings list for the 802.11 mode it works in ("TxRateB", "TxRateA",
// "TxRateG"). Save stores the settings in the profile through the Profile page and applies it again.
class TFrameAdapter : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAdapter(QWidget* parent = nullptr);
    ~TFrameAdapter() override;

    void InitPage() override;
    void ClearPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    // Fills the rate list for 802.11 mode 1 (b), 2 (a) or 3 (g); another mode keeps the list.
    void InitTxRate(int mode);
    void BtnSaveClick();

private:
    void EnableSettings();
    void ShowSettings();
    void FollowMode();
    // Has the Profile page store `profile` in place of the listed one of its name.
    void StoreEdited(const WLProfile& profile);

    std::unique_ptr<Ui::FrameAdapter> ui;
    CNICAdapter* m_Adapter = nullptr;
    // The 802.11 mode the rate list was built for; none after ClearPage.
    int m_RateMode = 5;
};
