// Screenshots of the station pages on the simulated adapter, connected to its WPA2 office network: Link Info
// with its lamps and rates, the Site Survey list sorted by signal with the connected row marked, and the
// chart window after a minute of traffic (fed as samples, so the picture needs no minute of waiting).
#include "../common/Usimtool.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"
#include "ui/Uformchart.h"
#include "ui/Uformres.h"
#include "ui/pages/Uframelinkinfo.h"
#include "ui/pages/Uframesurvey.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char HWID[] = "USB\\VID_F5E1&PID_0301";
const char SSID[] = "Harbor-Office";
const char PASS_PHRASE[] = "harbor-2026-office";
constexpr int CHART_SAMPLES = 30;

// Passes the adapter's notifications on to the pages as the main window does.
class Router : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::Type(NotifyMsg()))
            return QObject::event(e);
        const auto* n = static_cast<TNotifyEvent*>(e);
        if (Adapter && (n->Code == 3 || n->Code == 4 || n->Code == 7)) {
            for (TPropertyPageFrame* page : Pages)
                page->AdapterEvent(Adapter, n->Code, n->Value);
            if (Chart)
                Chart->ChartAdapterEvent(Adapter, n->Code, n->Value);
            Reports += n->Code == 3;
        }
        return true;
    }
    CNICAdapter* Adapter = nullptr;
    QList<TPropertyPageFrame*> Pages;
    TFormChart* Chart = nullptr;
    int Reports = 0;
};

bool FindSite(CNICAdapter& adapter, TSSiteEntry& found)
{
    TSiteList list;
    adapter.GetSiteList(list);
    for (const TSSiteEntry& e : list)
        if (e.SsidLength == strlen(SSID) && memcmp(e.Ssid, SSID, e.SsidLength) == 0) {
            found = e;
            return true;
        }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir sandbox;
    UseSandbox(sandbox);
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    if (!LoadSimulatedProgram())
        return 1;
    TFormRes res;
    FormRes = &res;

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

    TSSiteEntry site{};
    Wait([&] { return FindSite(*adapter, site); }, 15000);
    WLProfile profile{};
    adapter->SiteToProfile(site, profile);
    qstrncpy(profile.ProfileName, "Office", sizeof profile.ProfileName);
    qstrncpy(profile.WPAPassphrase, PASS_PHRASE, sizeof profile.WPAPassphrase);
    adapter->Connect(profile);
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
    for (TPropertyPageFrame* page : router.Pages)
        page->SetAdapter(nullptr, 2, 0);
    router.Adapter = nullptr;
    adapter.reset();
    FormRes = nullptr;
    return 0;
}
