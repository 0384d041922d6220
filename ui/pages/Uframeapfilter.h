#pragma once

#include "ui/Propertypageframeunit.h"

// The AP MAC filter: the stations the Soft AP admits.
class TFrameAPFilter : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPFilter(QWidget* parent = nullptr);
};
