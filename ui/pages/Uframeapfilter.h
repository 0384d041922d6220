#pragma once

#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameAPFilter;
}

// The AP MAC filter page: the stations the Soft AP accepts or rejects.
class TFrameAPFilter : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPFilter(QWidget* parent = nullptr);
    ~TFrameAPFilter() override;

    void InitPage() override;

private:
    std::unique_ptr<Ui::FrameAPFilter> ui;
};
