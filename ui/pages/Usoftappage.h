#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

// Base of the Soft AP pages that edit the Soft AP profile, the CSoftAPProfile of their window. Such a page
// takes the adapter only in Soft AP mode (bit 0 of SetAdapter's flags), stays cleared and disabled while the
// adapter is under zero configuration, and loads itself from the profile on every entry, so edits that were
// not saved are dropped.
class TSoftAPPage : public TPropertyPageFrame {
    Q_OBJECT
public:
    using TPropertyPageFrame::TPropertyPageFrame;

    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

protected:
    // The adapter was just taken, before the page is enabled and loaded.
    virtual void AdapterTaken() {}
    virtual void EnableControls() = 0;
    // Shows the Soft AP profile.
    virtual void LoadPage() = 0;
    // The Soft AP profile the pages of this window share.
    WLProfile& APProfile();
    // Stores the Soft AP profile in the adapter's Soft AP list under its own name and applies it at once,
    // then asks the window to show the AP information page.
    void SaveAndApply();

    CNICAdapter* m_Adapter = nullptr;

private:
    void EnableAndLoad();
};
