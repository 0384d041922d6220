#pragma once

#include "ui/Propertypageframeunit.h"

#include <array>
#include <memory>

class TMaskedEdit;

namespace Ui {
class FrameWEP;
}

// Editor page of WEP profiles: key length, 802.11 authentication, four keys typed or generated from a pass
// phrase, and the transmit key. Stored keys and phrases are never shown, only replaced.
class TFrameWEP : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameWEP(QWidget* parent = nullptr);
    ~TFrameWEP() override;

    void InitPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;

private:
    void CmbWEPSelect();
    void CmbDefKeySelect();
    void EdtPhraseChange();
    void EdtKey1Change();

    std::unique_ptr<Ui::FrameWEP> ui;
    std::array<TMaskedEdit*, 4> m_Keys{};
    CNICAdapter* m_Adapter = nullptr;
    bool m_Loading = false;    // the page fills its edits itself
    bool m_Generating = false; // generated keys are being written
};
