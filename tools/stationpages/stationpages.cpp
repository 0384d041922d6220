// Screenshots of the station pages on the simulated adapter, connected to its WPA2 office network: Link Info
// with its lamps and rates, the Site Survey list sorted by signal with the connected row marked, and the
// chart window after a minute of traffic (fed as samples, so the picture needs no minute of waiting). Then
// Link Info connected through each security kind: profiles stored through the adapter as the editor fills
// them in, activated, pictured once the link is up and a status cycle has shown it.
#include "../common/Upagerouter.h"
#include "../common/Upicturetool.h"
#include "../common/Usimtool.h"
#include "adaptercore/Corecodes.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"
#include "ui/Uformchart.h"
#include "ui/pages/Uframelinkinfo.h"
#include "ui/pages/Uframesurvey.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTreeWidget>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

const char HWID[] = "USB\\VID_F5E1&PID_0301";
const char SSID[] = "Harbor-Office";
const char PASS_PHRASE[] = "harbor-2026-office";
constexpr int CHART_SAMPLES = 30;

// Passes the adapter's notifications on to the pages, and to the chart while it is open, and counts the
// status reports.
class Router : public CPageRouter {
public:
    TFormChart* Chart = nullptr;
    int Reports = 0;
    int Failures = 0;

protected:
    void Notify(TNotifyEvent& n) override
    {
        if (!IsReport(n))
            return;
        if (Chart)
            Chart->ChartAdapterEvent(Adapter, n.Code, n.Value);
        Reports += n.Code == 3;
        Failures += n.Code == NM_CONNECT_FAILED;
    }
};

bool FindSite(CNICAdapter& adapter, const char* ssid, TSSiteEntry& found)
{
    TSiteList list;
    adapter.GetSiteList(list);
    for (const TSSiteEntry& e : list)
        if (e.SsidLength == strlen(ssid) && memcmp(e.Ssid, ssid, e.SsidLength) == 0) {
            found = e;
            return true;
        }
    return false;
}

// A profile for the scanned network `ssid`, named `name`, with the secrets `fill` adds.
WLProfile SiteProfile(CNICAdapter& adapter, const char* ssid, const char* name,
                      const std::function<void(WLProfile&)>& fill)
{
    TSSiteEntry site{};
    Wait([&] { return FindSite(adapter, ssid, site); }, 15000);
    WLProfile profile{};
    adapter.SiteToProfile(site, profile);
    qstrncpy(profile.ProfileName, name, sizeof profile.ProfileName);
    fill(profile);
    return profile;
}

bool LinkedTo(CNICAdapter& adapter, const char* ssid)
{
    WLANStatus s{};
    adapter.GetStatus(s);
    return s.MediaState == 0 && s.SsidLength == strlen(ssid) && memcmp(s.Ssid, ssid, s.SsidLength) == 0;
}

struct TSecuredLink {
    const char* Shot;
    const char* Ssid;
    const char* Name;
    std::function<void(WLProfile&)> Fill;
};

void Psk(WLProfile& p, TsrwlSecurity method, TsrwlCipher cipher, const char* phrase)
{
    p.EncryptionMethod = ToCode(method);
    p.WPAEncryptionType = ToCode(cipher);
    p.AuthenticationMode =
        ToCode(method == TsrwlSecurity::Wpa2Psk ? TsrwlAuthMode::Wpa2Psk : TsrwlAuthMode::WpaPsk);
    qstrncpy(p.WPAPassphrase, phrase, sizeof p.WPAPassphrase);
}

const TSecuredLink SECURED_LINKS[] = {
    {"linkinfo-wep.png", "Lab-WEP128", "Lab",
     [](WLProfile& p) {
         p.EncryptionMethod = ToCode(TsrwlSecurity::Wep);
         p.WEPEncryptionLevel = 2;
         p.WEPKeyFormat = 1;
         p.DefaultKey = 0;
         p.AuthenticationMode = ToCode(TsrwlAuthMode::Shared);
         qstrncpy(p.WEPKey1, "1C1F9289BA0A0A0EAA111785AB", sizeof p.WEPKey1);
     }},
    {"linkinfo-wpapsk.png", "Studio-AES", "Studio",
     [](WLProfile& p) { Psk(p, TsrwlSecurity::WpaPsk, TsrwlCipher::Aes, "studio-aes-phrase"); }},
    {"linkinfo-wpa2psk.png", "Warehouse", "Warehouse",
     [](WLProfile& p) { Psk(p, TsrwlSecurity::Wpa2Psk, TsrwlCipher::Tkip, "forklift-pallet-9"); }},
    {"linkinfo-wpa2-peap.png", "Campus-WLAN", "Campus",
     [](WLProfile& p) {
         p.EncryptionMethod = ToCode(TsrwlSecurity::Wpa2);
         p.WPAEncryptionType = ToCode(TsrwlCipher::Aes);
         p.AuthenticationMode = ToCode(TsrwlAuthMode::Wpa2);
         p.MS8021xAuthMode = ToCode(TsrwlEapMethod::Peap);
         p.PeapEap = ToCode(TsrwlPeapInner::MsChapV2);
         qstrncpy(p.LoginName, "alice", sizeof p.LoginName);
         qstrncpy(p.LoginPassword, "Wonderland!1", sizeof p.LoginPassword);
         qstrncpy(p.sCertAuthority, "Campus Root CA", sizeof p.sCertAuthority);
         qstrncpy(p.sCertAuthority_Issuer, "Campus Root CA", sizeof p.sCertAuthority_Issuer);
         p.ValidateServerCert = 1;
     }},
};

} // namespace

int main(int argc, char** argv)
{
    CPictureTool tool(argc, argv);
    if (!tool.Ready())
        return 1;
    const QString& outDir = tool.OutDir();

    Router router;
    TFrameLinkInfo link;
    TFrameSurvey survey;
    for (TPropertyPageFrame* page :
         {static_cast<TPropertyPageFrame*>(&link), static_cast<TPropertyPageFrame*>(&survey)}) {
        page->InitPage();
        page->show();
        router.Pages << page;
    }

    TThreadPtr<CNICAdapter> adapter = CreateSimulatedAdapter(&router, HWID);
    router.Adapter = adapter.get();
    for (TPropertyPageFrame* page : router.Pages)
        page->SetAdapter(adapter.get(), 1, 0);

    adapter->Connect(SiteProfile(*adapter, SSID, "Office", [](WLProfile& p) {
        qstrncpy(p.WPAPassphrase, PASS_PHRASE, sizeof p.WPAPassphrase);
    }));
    const int before = router.Reports;
    Wait([&] { return router.Reports >= before + 5; }, 30000);

    survey.EnterPage(nullptr, 0, 0);
    Wait([&] { return !survey.TimerSurvey.isActive(); }, 15000);
    // The selection would hide the connected row's colour.
    if (auto* list = survey.findChild<QTreeWidget*>(QStringLiteral("LvSite"));
        list && list->topLevelItemCount() > 1)
        list->setCurrentItem(list->topLevelItem(1));
    SavePicture(&link, outDir, "linkinfo.png");
    SavePicture(&survey, outDir, "survey.png");

    TFormChart chart;
    chart.ChartSetAdapter(adapter.get(), 1, 0);
    for (int i = 0; i < CHART_SAMPLES; ++i)
        chart.AddRates(2000, 300 + 250 * std::sin(i / 4.0), 1800 + 1500 * std::sin(i / 6.0 + 1));
    router.Chart = &chart;
    chart.show();
    const int charted = router.Reports;
    Wait([&] { return router.Reports >= charted + 3; }, 15000);
    SavePicture(&chart, outDir, "chart.png");
    router.Chart = nullptr;

    for (const TSecuredLink& secured : SECURED_LINKS) {
        const WLProfile profile = SiteProfile(*adapter, secured.Ssid, secured.Name, secured.Fill);
        adapter->AddProfile(profile);
        adapter->Connect(profile);
        Wait([&] { return LinkedTo(*adapter, secured.Ssid); }, 20000);
        // The first report after the link came up renews the address; the next ones show it and a rate.
        const int linked = router.Reports;
        Wait([&] { return router.Reports >= linked + 2; }, 15000);
        if (!LinkedTo(*adapter, secured.Ssid))
            fprintf(stderr, "no link to %s\n", secured.Ssid);
        SavePicture(&link, outDir, secured.Shot);
    }

    // The office network refuses a WPA2-PSK profile left on TKIP: Link Info says why.
    const WLProfile refused = SiteProfile(*adapter, SSID, "Office-TKIP", [](WLProfile& p) {
        Psk(p, TsrwlSecurity::Wpa2Psk, TsrwlCipher::Tkip, PASS_PHRASE);
    });
    const int failures = router.Failures;
    adapter->Connect(refused);
    Wait([&] { return router.Failures > failures; }, 15000);
    SavePicture(&link, outDir, "linkinfo-refused.png");

    for (TPropertyPageFrame* page : router.Pages)
        page->SetAdapter(nullptr, 2, 0);
    router.Adapter = nullptr;
    adapter.reset();
    return 0;
}
