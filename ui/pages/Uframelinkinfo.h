#pragma once

#include "ui/Propertypageframeunit.h"

// The Link Info: the state of the wireless link.
class TFrameLinkInfo : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameLinkInfo(QWidget* parent = nullptr);
};
