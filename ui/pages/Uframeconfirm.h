#pragma once

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
    explicit TFrameConfirm(QWidget* parent = nullptr);
    ~TFrameConfirm() override;

    void InitPage() override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;

private:
    std::unique_ptr<Ui::FrameConfirm> ui;
    CNICAdapter* m_Adapter = nullptr;
};
