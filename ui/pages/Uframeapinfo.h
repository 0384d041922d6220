#pragma once

#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameAPInfo;
}

// The AP information page: the Soft AP's state and stations, and the start of the Soft AP when its mode is
// entered.
class TFrameAPInfo : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPInfo(QWidget* parent = nullptr);
    ~TFrameAPInfo() override;

    void InitPage() override;
    // Takes the adapter only in Soft AP mode (bit 0 of `flags`).
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;

    // Applies the Soft AP settings when the adapter is set to connect by itself ("InitConnect").
    void ConnectLast();

private:
    std::unique_ptr<Ui::FrameAPInfo> ui;
    CNICAdapter* m_Adapter = nullptr;
};
