#include "Usoftapsave.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "app/Uprofile.h"
#include "engine/Unicadapter.h"

#include <QWidget>

namespace {

constexpr int NOTIFY_SHOW_PAGE = 10;
constexpr int PAGE_AP_INFO = 4;

} // namespace

void SaveSoftAPProfile(QWidget* page, CNICAdapter& adapter)
{
    const WLProfile profile = g_Var.SoftAPProfile;
    adapter.Queue([profile](CNICAdapter& a) { a.UpdateProfile(profile, ProfileNameOf(profile)); });
    // Applying hands the adapter over to the new settings; under zero configuration the system owns it.
    if (!adapter.EnableZeroCfg())
        adapter.Connect(profile);
    PostNotify(page->window(), NOTIFY_SHOW_PAGE, PAGE_AP_INFO);
}
