#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameWlMode;
}

// The editor's page for ad hoc profiles: the band and the channel on which the ad hoc network starts. The
// channels come from the adapter's settings ("AdHocChB", "AdHocChG", "AdHocChA", optionally per regulatory
// domain) or, without them, from the library.
class TFrameWlMode : public TPropertyPageFrame {
    Q_OBJECT
public:
    // `profile` is the editor's record this page shows and writes.
    explicit TFrameWlMode(WLProfile& profile, QWidget* parent = nullptr);
    ~TFrameWlMode() override;

    void InitPage() override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void ClearPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;

    void CmbAdHocModeSelect();

private:
    void FillBands();

    std::unique_ptr<Ui::FrameWlMode> ui;
    WLProfile& m_Profile;
    CNICAdapter* m_Adapter = nullptr;
};
