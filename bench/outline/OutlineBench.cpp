// SPDX-License-Identifier: GPL-3.0-or-later
// What one keystroke in the search field costs, and the layout after one new
// row, on a library of 10,000 recordings in 500 expanded categories.
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "outline/SearchController.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollArea>
#include <benchmark/benchmark.h>

namespace {

constexpr int kCategories = 500;
constexpr int kRecordings = 10000;

// 10,000 recordings with a description and 5 notes each, shown in a window.
struct Library
{
    RecGroup root{RecGroup::Bare};
    QScrollArea scroll;
    RecOutlineController outline;
    QLineEdit field;
    SearchController search{&field, &outline};

    Library()
    {
        scroll.resize(340, 400);
        outline.setOutlineView(new RecOutlineView, &scroll);
        int n = 0;
        for (int c = 0; c < kCategories; ++c) {
            auto* cat = static_cast<RecGroup*>(
                root.addSubItem(std::make_unique<RecGroup>(RecGroup::WithExpandButton)));
            cat->setParent(&root);
            cat->setTitle(QString("Category %1").arg(c));
            cat->setExpanded(true);
            for (int i = 0; i < kRecordings / kCategories; ++i, ++n) {
                auto* item = static_cast<RecItem*>(cat->addSubItem(std::make_unique<RecItem>()));
                item->setParent(cat);
                item->setTitle(QString("Untitled %1").arg(n));
                item->setDescr("A meeting about the quarterly figures");
                item->setDuration(61.5 + i);
                for (int m = 0; m < 5; ++m)
                    item->addMarkAtTime(m * 10.5f, QString("note %1 on slide %2").arg(m).arg(n), m);
            }
        }
        outline.setTree(&root);
        scroll.show();
        QApplication::processEvents();
    }
};

Library* g_library = nullptr;

// The walk alone: every title, description and note is looked at when
// nothing matches; "slide 4242" is found only in the notes of one recording.
void BM_Search(benchmark::State& state, const char* text)
{
    const QString query = QString::fromUtf8(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(SearchController::search(query, g_library->outline.mainGroup()));
    state.counters["found"] =
        double(SearchController::search(query, g_library->outline.mainGroup()).size());
}
BENCHMARK_CAPTURE(BM_Search, no_match, "zebra")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, one_note, "SLIDE 4242")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, every_recording, "quarterly")->Unit(benchmark::kMillisecond);

// A whole keystroke: the field's text changes, the search runs, the results
// replace the outline and are laid out with the rows in view made.
void BM_Keystroke(benchmark::State& state, const char* from, const char* to)
{
    Library& lib = *g_library;
    bool flip = false;
    for (auto _ : state) {
        lib.field.setText(QString::fromUtf8(flip ? from : to));
        flip = !flip;
    }
    lib.field.clear();
}
BENCHMARK_CAPTURE(BM_Keystroke, few_results, "slide 4242", "slide 424")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, every_recording, "quarterl", "quarterly")
    ->Unit(benchmark::kMillisecond);

// One recording added to a category in the middle: the whole expanded tree
// of 10,500 rows is laid out again.
void BM_LayoutAfterAddition(benchmark::State& state)
{
    Library& lib = *g_library;
    auto* cat = static_cast<RecGroup*>(lib.outline.mainGroup()->subItems()[kCategories / 2]);
    for (auto _ : state) {
        state.PauseTiming();
        auto* item = static_cast<RecItem*>(cat->addSubItem(std::make_unique<RecItem>()));
        item->setParent(cat);
        item->setTitle("Untitled new");
        state.ResumeTiming();
        lib.outline.rowAdded(item);
        state.PauseTiming();
        lib.outline.rowRemoving(item);
        const auto gone = cat->removeSubItem(item);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LayoutAfterAddition)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    g_library = new Library;
    benchmark::RunSpecifiedBenchmarks();
    delete g_library;
    return 0;
}
