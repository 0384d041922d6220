#pragma once

#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameProfile;
}

// The Profile page: the station profiles, and the automatic connection with the last used one.
class TFrameProfile : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameProfile(QWidget* parent = nullptr);
    ~TFrameProfile() override;

    void InitPage() override;
    // Takes the adapter only in station mode (bit 0 of `flags` clear).
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    // A network handed over by the Site Survey page (bit 0x200) needs an adapter to be edited for; without
    // one the page is not entered.
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;

    // Connects with the profile used last, else with the first listed one, when the adapter is set to connect
    // by itself ("InitConnect").
    void ConnectLast();

public Q_SLOTS:
    // Stores the profile the editor produced; 1 when stored. The profile list is not on this page yet, so
    // nothing is stored.
    int SaveProfile(int flags);

private:
    std::unique_ptr<Ui::FrameProfile> ui;
    CNICAdapter* m_Adapter = nullptr;
};
