#pragma once

#include "pagefixture.h"

#include <functional>

// A Soft AP page on a simulated adapter that can run an access point; its scenario brings two stations at
// once and a third one late.
class APPageTest : public PageTest {
protected:
    void UseLibrary() override;
    // Creates the adapter and attaches it to the page in Soft AP mode, announced first as the session does,
    // so that the page reads the adapter's Soft AP profile.
    CNICAdapter& AttachSoftAP();
    // The Soft AP profile the page shares with the other Soft AP pages of its window.
    WLProfile& APProfile();
    // Whether the simulated access point runs with the SSID.
    bool APRunning(const char* ssid);
    // What the control command prints for `status`.
    QString SimStatus();
    // The last bytes of the associated stations' addresses ("0A"), sorted.
    QStringList Stations();
    // Whether the Soft AP profile stored in the adapter's list passes `check`.
    bool Stored(const std::function<bool(const WLProfile&)>& check);
};
