#pragma once

#include "ui/Propertypageframeunit.h"

// The Site Survey: the networks in range.
class TFrameSurvey : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameSurvey(QWidget* parent = nullptr);
};
