#pragma once

#include "ui/Propertypageframeunit.h"

// A page that serves the adapter in station mode only: it keeps the adapter attached in station mode,
// ignores an attach in Soft AP mode, and clears itself when the adapter is detached.
class TStationPage : public TPropertyPageFrame {
    Q_OBJECT
public:
    using TPropertyPageFrame::TPropertyPageFrame;

    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;

protected:
    CNICAdapter* m_Adapter = nullptr;
};
