#pragma once

#include "pagefixture.h"

#include <functional>

// A Soft AP page on a simulated adapter that can run an access point; its scenario brings two stations at
// once and a third one late.
class APPageTest : public PageTest {
protected:
    void UseLibrary() override;
    // Creates the adapter, loads the Soft AP profile as the main window does and attaches the adapter to the
    // page in Soft AP mode.
    CNICAdapter& AttachSoftAP();
    // Whether the simulated access point runs with the SSID.
    bool APRunning(const char* ssid);
    // What the control command prints for `status`.
    QString SimStatus();
    // The last bytes of the associated stations' addresses ("0A"), sorted.
    QStringList Stations();
    // Whether the Soft AP profile stored in the adapter's list passes `check`.
    bool Stored(const std::function<bool(const WLProfile&)>& check);
};
