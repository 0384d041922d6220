#pragma once

#include "ui/Propertypageframeunit.h"
#include "ui_tst_page.h"

// A page built from its own design file, as the real pages are.
class TTestPage : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TTestPage(QWidget* parent = nullptr);

    Ui::FrameTest ui;
};
