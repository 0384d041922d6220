#pragma once

#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameActive;
}

// The editor's last page, after the profile was stored: connect with it now or later. Both buttons belong
// to the container.
class TFrameActive : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameActive(QWidget* parent = nullptr);
    ~TFrameActive() override;

    void InitPage() override;

private:
    std::unique_ptr<Ui::FrameActive> ui;
};
