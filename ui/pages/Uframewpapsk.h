#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameWPAPSK;
}

// Editor page of WPA-PSK and WPA2-PSK profiles: the cipher and the pass phrase. A stored pass phrase is
// never shown; it can only be replaced.
class TFrameWPAPSK : public TPropertyPageFrame {
    Q_OBJECT
public:
    // `profile` is the editor's record this page shows and writes.
    explicit TFrameWPAPSK(WLProfile& profile, QWidget* parent = nullptr);
    ~TFrameWPAPSK() override;

    void InitPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;

private:
    void ShowPhraseError();

    std::unique_ptr<Ui::FrameWPAPSK> ui;
    WLProfile& m_Profile;
    CNICAdapter* m_Adapter = nullptr;
};
