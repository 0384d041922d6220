#include "Usoftappage.h"
#include "Upagetools.h"
#include "Usoftapprofile.h"
#include "app/Unotifyevent.h"
#include "app/Uprofile.h"
#include "engine/Unicadapter.h"

bool TSoftAPPage::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    if (m_Adapter && !m_Adapter->EnableZeroCfg())
        LoadPage();
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

void TSoftAPPage::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
    if (change == acAttach && adapter && (flags & 1)) {
        m_Adapter = adapter;
        CSoftAPProfile::InWindowOf(this).Take(*adapter);
        AdapterTaken();
        if (!adapter->EnableZeroCfg())
            EnableAndLoad();
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
}

void TSoftAPPage::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    TPropertyPageFrame::AdapterEvent(adapter, code, value);
    if (code == NM_ATTACHED)
        CSoftAPProfile::InWindowOf(this).AdapterAttached();
    if (!m_Adapter || code != NM_ZEROCFG)
        return;
    if (value == 1)
        ClearPage();
    else
        EnableAndLoad();
}

WLProfile& TSoftAPPage::APProfile()
{
    return CSoftAPProfile::InWindowOf(this).Profile();
}

void TSoftAPPage::EnableAndLoad()
{
    EnableControls();
    LoadPage();
}

void TSoftAPPage::SaveAndApply()
{
    if (!m_Adapter)
        return;
    const WLProfile profile = APProfile();
    // The list is changed on the adapter's worker, ahead of the connect that applies the profile, so the
    // window does not wait for a connect that is still running.
    // A store the library refuses (a full disk) is told, not taken for success.
    m_Adapter->Request(
        this, [profile](CNICAdapter& a) { return a.UpdateProfile(profile, ProfileNameOf(profile)); },
        [this](bool stored) {
            if (!stored)
                ShowPageMessage(this, "ErSaveProf", "The profile could not be saved.");
        });
    // Applying hands the adapter over to the new settings; under zero configuration the system owns it.
    if (!m_Adapter->EnableZeroCfg())
        m_Adapter->Connect(profile);
    PostNotify(window(), NM_SHOW_PAGE, PAGE_AP_INFO);
}
