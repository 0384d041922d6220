// Time the Site Survey page spends on a full scan of 256 networks: filling and sorting the list, painting it,
// and sorting it again by each column as a header click does.
#include "app/Udefine.h"
#include "controls/Sortlv.h"
#include "engine/Ucumlib.h"
#include "ui/Uformres.h"
#include "ui/pages/Uframesurvey.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>

namespace {

// 2.4 GHz channels 1 to 13 and some 5 GHz ones, in MHz.
const int FREQUENCIES[] = {2412, 2417, 2422, 2427, 2432, 2437, 2442, 2447, 2452, 2457, 2462,
                           2467, 2472, 5180, 5200, 5220, 5240, 5745, 5765, 5785, 5805};
const uint32_t SECURITY[] = {0, 1, 20, 23, 120, 123, 1020};

TSiteList FullScan()
{
    std::mt19937 random(7);
    TSiteList list(TSRWL_SITE_ENTRY_MAX);
    for (size_t i = 0; i < list.size(); ++i) {
        TSSiteEntry& e = list[i];
        e.Length = sizeof e;
        const std::string ssid = "Network-" + std::to_string(random() % 100000);
        e.SsidLength = uint32_t(ssid.size());
        memcpy(e.Ssid, ssid.data(), ssid.size());
        e.Bssid[4] = uint8_t(i >> 8);
        e.Bssid[5] = uint8_t(i);
        e.Frequency = uint32_t(FREQUENCIES[random() % std::size(FREQUENCIES)]);
        e.Rssi = -30 - int(random() % 65);
        e.Security = SECURITY[random() % std::size(SECURITY)];
        e.NetworkMode = random() % 8 ? 1 : 0;
        e.NetworkType = 3;
    }
    return list;
}

struct SurveyPage {
    SurveyPage()
    {
        FormRes = &Res;
        Page.InitPage();
        Page.show();
        Lv = Page.findChild<TSortLv*>(QStringLiteral("LvSite"));
    }
    ~SurveyPage() { FormRes = nullptr; }
    TFormRes Res;
    TFrameSurvey Page;
    TSortLv* Lv = nullptr;
};

void BM_ShowSiteList256(benchmark::State& state)
{
    SurveyPage s;
    const TSiteList scan = FullScan();
    for (auto _ : state) {
        s.Page.ClearPage();
        s.Page.ShowSiteList(scan);
    }
}
BENCHMARK(BM_ShowSiteList256)->Unit(benchmark::kMillisecond);

void BM_PaintSiteList256(benchmark::State& state)
{
    SurveyPage s;
    s.Page.ShowSiteList(FullScan());
    QImage target(s.Lv->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&target);
        s.Lv->render(&p);
    }
}
BENCHMARK(BM_PaintSiteList256)->Unit(benchmark::kMillisecond);

// A header click on the column: it switches the sort column or direction and sorts the list again.
void BM_ResortSiteList256(benchmark::State& state)
{
    SurveyPage s;
    s.Page.ShowSiteList(FullScan());
    const int column = int(state.range(0));
    for (auto _ : state)
        Q_EMIT s.Lv->header()->sectionClicked(column);
}
BENCHMARK(BM_ResortSiteList256)->DenseRange(1, 3)->ArgName("column")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Channel numbers come from the simulated adapter library, as on the page.
    if (!g_TSLib.Load(WLANUTIL_BIN_DIR "/libtsrwl.so"))
        fprintf(stderr, "simulated adapter library not loaded; channels show as 0\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
