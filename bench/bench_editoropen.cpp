// What the first opening of the profile editor costs now that its pages are made when first wanted: making,
// skinning, entering and painting the network type page in an editor that has made nothing yet; beside it,
// making all nine pages, which start-up used to pay whether or not the editor was ever opened.
#include "ui/Uformres.h"
#include "ui/pages/Uframeprofset.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int RETURN_TO_PROFILE_PAGE = 2;

// A fresh editor, skinned and shown as on the Profile page, with none of its pages made.
std::unique_ptr<TFrameProfSet> FreshEditor()
{
    auto editor = std::make_unique<TFrameProfSet>();
    editor->InitPage();
    editor->show();
    QCoreApplication::processEvents();
    return editor;
}

// Times `work` on a fresh editor each round; making and destroying the editor are not timed.
template <class Work> void OnFreshEditors(benchmark::State& state, Work work)
{
    TFormRes res;
    FormRes = &res;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TFrameProfSet> editor = FreshEditor();
        state.ResumeTiming();
        work(*editor);
        state.PauseTiming();
        editor.reset();
        state.ResumeTiming();
    }
    FormRes = nullptr;
}

void BM_FirstOpening(benchmark::State& state)
{
    OnFreshEditors(state, [](TFrameProfSet& editor) {
        editor.EnterPage(nullptr, RETURN_TO_PROFILE_PAGE, 0);
        editor.repaint();
    });
}
BENCHMARK(BM_FirstOpening)->Unit(benchmark::kMillisecond);

void BM_AllNinePages(benchmark::State& state)
{
    OnFreshEditors(state, [](TFrameProfSet& editor) {
        for (int slot = 0; slot < EDITOR_SLOT_COUNT; ++slot)
            editor.Page(TEditorSlot(slot));
    });
}
BENCHMARK(BM_AllNinePages)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
