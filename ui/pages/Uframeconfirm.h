#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameConfirm;
}

// The editor's summary of the profile before it is saved: network name, type, band, channel and security.
// Its Save button belongs to the container.
class TFrameConfirm : public TPropertyPageFrame {
    Q_OBJECT
public:
    // `profile` is the editor's record this page shows and writes.
    explicit TFrameConfirm(WLProfile& profile, QWidget* parent = nullptr);
    ~TFrameConfirm() override;

    void InitPage() override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;

private:
    std::unique_ptr<Ui::FrameConfirm> ui;
    WLProfile& m_Profile;
    CNICAdapter* m_Adapter = nullptr;
};
