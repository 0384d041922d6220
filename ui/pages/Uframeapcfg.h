#pragma once

#include "ui/Propertypageframeunit.h"

// The AP configuration: the Soft AP profile.
class TFrameAPCfg : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPCfg(QWidget* parent = nullptr);
};
