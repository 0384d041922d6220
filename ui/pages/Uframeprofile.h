#pragma once

#include "ui/Propertypageframeunit.h"

// The Profile: the station profiles.
class TFrameProfile : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameProfile(QWidget* parent = nullptr);
};
