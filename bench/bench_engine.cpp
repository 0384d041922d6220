// Time the GUI thread spends in the adapter object's queries.
#include "app/Udefine.h"
#include "engine/Unicadapter.h"
#include "fakelib.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>

namespace {

// A private settings file and per-user store, the fake library and one adapter object.
class Bench {
public:
    explicit Bench(const std::function<void(FakeLibState&)>& world = {})
    {
        qputenv("XDG_CONFIG_HOME", m_Dir.filePath(QStringLiteral("config")).toUtf8());
        QFile settings(m_Dir.filePath(QStringLiteral("wlanutil.bin")));
        settings.open(QIODevice::WriteOnly);
        settings.write("[Setting]\nProfRoot=EngineBench\n");
        settings.close();
        g_Var.ReadFiles(m_Dir.filePath(QStringLiteral("wlanutil")));
        fakelib::Install();
        if (world)
            fakelib::With(world);
        TAdapterDesc desc{};
        strcpy(desc.HwId, "USB\\VID_0BDA&PID_8189");
        strcpy(desc.Instance, "9999");
        Adapter = CNICAdapter::Create(nullptr, 0, desc);
    }
    ~Bench()
    {
        Adapter.reset();
        fakelib::Uninstall();
    }
    TThreadPtr<CNICAdapter> Adapter;

private:
    QTemporaryDir m_Dir;
};

// Copies of the latest status and network record while the worker collects every 2 s; the slowest copy
// shows what a collection costs the GUI thread.
void BM_GetStatusAndNetInfo(benchmark::State& state)
{
    Bench bench([](FakeLibState& s) { s.mediaState = 0; });
    WLANStatus status;
    NetworkInfo network;
    double slowestUs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bench.Adapter->GetStatus(status);
        bench.Adapter->GetNetInfo(network);
        const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        slowestUs = std::max(slowestUs, took.count());
        benchmark::DoNotOptimize(status);
        benchmark::DoNotOptimize(network);
    }
    state.counters["slowest_us"] = slowestUs;
}
BENCHMARK(BM_GetStatusAndNetInfo)->MinTime(5.0);

void BM_ReadProfileList500(benchmark::State& state)
{
    Bench bench([](FakeLibState& s) {
        for (int i = 0; i < 500; ++i)
            s.profiles.push_back(fakelib::MakeProfile("Profile " + std::to_string(i)));
    });
    TProfileList list;
    for (auto _ : state) {
        bench.Adapter->ReadProfileList(PROF_STATION, list);
        benchmark::DoNotOptimize(list.size());
    }
}
BENCHMARK(BM_ReadProfileList500)->Unit(benchmark::kMillisecond);

void BM_GetSiteList256(benchmark::State& state)
{
    Bench bench([](FakeLibState& s) {
        s.scan.Count = TSRWL_SITE_ENTRY_MAX;
        for (int i = 0; i < TSRWL_SITE_ENTRY_MAX; ++i)
            s.scan.Entries[i] = fakelib::MakeSite("net" + std::to_string(i), uint8_t(i));
    });
    for (auto _ : state) {
        TSiteList list;
        bench.Adapter->GetSiteList(list);
        benchmark::DoNotOptimize(list.size());
    }
}
BENCHMARK(BM_GetSiteList256)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
