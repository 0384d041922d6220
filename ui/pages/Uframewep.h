#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

class TWEPEdits;

namespace Ui {
class FrameWEP;
}

// Editor page of WEP profiles: key length, 802.11 authentication, four keys typed or generated from a pass
// phrase, and the transmit key. Stored keys and phrases are never shown, only replaced.
class TFrameWEP : public TPropertyPageFrame {
    Q_OBJECT
public:
    // `profile` is the editor's record this page shows and writes.
    explicit TFrameWEP(WLProfile& profile, QWidget* parent = nullptr);
    ~TFrameWEP() override;

    void InitPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;

private:
    std::unique_ptr<Ui::FrameWEP> ui;
    TWEPEdits* m_WEP = nullptr;
    WLProfile& m_Profile;
    CNICAdapter* m_Adapter = nullptr;
};
