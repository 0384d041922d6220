#pragma once

#include "ui/Propertypageframeunit.h"

// The AP information: the Soft AP's state and stations.
class TFrameAPInfo : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPInfo(QWidget* parent = nullptr);
};
