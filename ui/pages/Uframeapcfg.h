#pragma once

#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameAPCfg;
}

// The AP configuration page: the Soft AP's profile.
class TFrameAPCfg : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPCfg(QWidget* parent = nullptr);
    ~TFrameAPCfg() override;

    void InitPage() override;

private:
    std::unique_ptr<Ui::FrameAPCfg> ui;
};
