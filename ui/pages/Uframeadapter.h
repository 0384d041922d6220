#pragma once

#include "ui/Propertypageframeunit.h"

// The Adapter: the adapter's settings.
class TFrameAdapter : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAdapter(QWidget* parent = nullptr);
};
