#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

class QCheckBox;
class QLabel;

namespace Ui {
class FrameWireless;
}

// The editor's band page for infrastructure profiles on an adapter with both 2.4 and 5 GHz bands: on which
// of them the profile may connect. It keeps the profile's ad hoc band and channel on a band it allows.
class TFrameWireless : public TPropertyPageFrame {
    Q_OBJECT
public:
    // `profile` is the editor's record this page shows and writes.
    explicit TFrameWireless(WLProfile& profile, QWidget* parent = nullptr);
    ~TFrameWireless() override;

    void InitPage() override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;

private:
    // Offers `box` with the band set `bands` when it is not empty, else hides it.
    void OfferBand(QCheckBox* box, QLabel* label, uint32_t bands, bool checked, const QString& text);

    std::unique_ptr<Ui::FrameWireless> ui;
    WLProfile& m_Profile;
    CNICAdapter* m_Adapter = nullptr;
};
