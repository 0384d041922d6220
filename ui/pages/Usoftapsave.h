#pragma once

class CNICAdapter;
class QWidget;

// Stores the Soft AP profile (the settings object's record) in the adapter's Soft AP list under its own name
// and applies it at once, then asks the window that holds `page` to show the AP information page. The list is
// changed on the adapter's worker, ahead of the connect that applies the profile, so the window does not wait
// for a connect that is still running.
void SaveSoftAPProfile(QWidget* page, CNICAdapter& adapter);
