#pragma once

#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameAdapter;
}

// The Adapter page: the adapter's own settings.
class TFrameAdapter : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAdapter(QWidget* parent = nullptr);
    ~TFrameAdapter() override;

    void InitPage() override;

private:
    std::unique_ptr<Ui::FrameAdapter> ui;
};
