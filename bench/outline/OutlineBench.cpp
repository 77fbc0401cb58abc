// SPDX-License-Identifier: GPL-3.0-or-later
// What one keystroke in the search field costs, the layout after one new
// row, and the longest frame while the outline is scrolled from end to end,
// on 10,000 recordings in 500 expanded categories and 100,000 in 2,000.
#include "LibrarySizes.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/SearchIndex.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "outline/SearchController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <ctime>
#include <map>

namespace {

// The recordings with a description and 5 notes each, shown in a window.
struct Library
{
    RecGroup root{RecGroup::Bare};
    QScrollArea scroll;
    RecOutlineController outline;
    QLineEdit field;
    SearchController search{&field, &outline};

    Library(int recordings, int categories)
    {
        scroll.resize(340, 400);
        outline.setOutlineView(new RecOutlineView, &scroll);
        int n = 0;
        for (int c = 0; c < categories; ++c) {
            auto* cat = static_cast<RecGroup*>(
                root.addSubItem(std::make_unique<RecGroup>(RecGroup::WithExpandButton)));
            cat->setParent(&root);
            cat->setTitle(QString("Category %1").arg(c));
            cat->setExpanded(true);
            for (int i = 0; i < recordings / categories; ++i, ++n) {
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

LibrariesBySize<Library> g_libraries;

// Rows the outline no longer shows go when the event loop runs, which a
// benchmark's loop does not: it lets them go itself.
void letRowsGo()
{
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The user moves into the search field: the search gets ready.
void focusSearchField(Library& lib)
{
    QFocusEvent focusIn(QEvent::FocusIn, Qt::ShortcutFocusReason);
    QApplication::sendEvent(&lib.field, &focusIn);
}

// The walk alone: every title, description and note is looked at when
// nothing matches; "slide 4242" is found only in the notes of one recording.
void BM_Search(benchmark::State& state, const char* text)
{
    const QString query = QString::fromUtf8(text);
    Library& lib = g_libraries.of(state);
    focusSearchField(lib);
    for (auto _ : state)
        benchmark::DoNotOptimize(lib.search.search(query, lib.outline.mainGroup()));
    state.counters["found"] = double(lib.search.search(query, lib.outline.mainGroup()).size());
}
BENCHMARK_CAPTURE(BM_Search, no_match, "zebra")->Apply(librarySizes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, one_note, "SLIDE 4242")
    ->Apply(librarySizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, every_recording, "quarterly")
    ->Apply(librarySizes)
    ->Unit(benchmark::kMillisecond);

// A whole keystroke: the field's text changes, the search runs, the results
// replace the outline and are laid out with the rows in view made.
// What the move into the search field costs: the texts of every recording
// folded for the search.
void BM_FocusSearch(benchmark::State& state)
{
    Library& lib = g_libraries.of(state);
    SearchIndex index;
    for (auto _ : state) {
        index.clear();
        index.prepare(lib.outline.mainGroup());
    }
}
BENCHMARK(BM_FocusSearch)->Apply(librarySizes)->Unit(benchmark::kMillisecond);

// The keystrokes that follow the move into the field.
void BM_Keystroke(benchmark::State& state, const char* from, const char* to)
{
    Library& lib = g_libraries.of(state);
    focusSearchField(lib);
    bool flip = false;
    for (auto _ : state) {
        lib.field.setText(QString::fromUtf8(flip ? from : to));
        flip = !flip;
        letRowsGo();
    }
    lib.field.clear();
}
BENCHMARK_CAPTURE(BM_Keystroke, few_results, "slide 4242", "slide 424")
    ->Apply(librarySizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, every_recording, "quarterl", "quarterly")
    ->Apply(librarySizes)
    ->Unit(benchmark::kMillisecond);

// One recording added to a category in the middle: the whole expanded tree
// is laid out again.
void BM_LayoutAfterAddition(benchmark::State& state)
{
    Library& lib = g_libraries.of(state);
    const auto& categories = lib.outline.mainGroup()->subItems();
    auto* cat = static_cast<RecGroup*>(categories[categories.size() / 2]);
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
BENCHMARK(BM_LayoutAfterAddition)->Apply(librarySizes)->Unit(benchmark::kMillisecond);

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The outline scrolled from its top to its end a page at a time (a wheel
// spun fast, the scroll bar dragged), each page of new rows painted before
// the next. The time of the iteration is its longest frame
// (scroll, rows made for the view, paint) in CPU time of the main thread,
// which a busy machine does not stretch; the longest in wall time beside it.
void BM_ScrollFrame(benchmark::State& state)
{
    Library& lib = g_libraries.of(state);
    QScrollBar* bar = lib.scroll.verticalScrollBar();
    const int step = bar->pageStep();
    for (auto _ : state) {
        bar->setValue(0);
        QApplication::processEvents();
        double longest = 0;
        qint64 longestWall = 0;
        int frames = 0;
        QElapsedTimer clock;
        while (bar->value() < bar->maximum()) {
            clock.start();
            const double start = threadCpuSeconds();
            bar->setValue(bar->value() + step);
            lib.scroll.viewport()->repaint();
            QApplication::processEvents();
            letRowsGo();
            longest = std::max(longest, threadCpuSeconds() - start);
            longestWall = std::max(longestWall, clock.nsecsElapsed());
            ++frames;
        }
        state.SetIterationTime(longest);
        state.counters["frames"] = frames;
        state.counters["wall_ms"] = double(longestWall) / 1e6;
    }
}
BENCHMARK(BM_ScrollFrame)
    ->Apply(librarySizes)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    g_libraries.clear();
    return 0;
}
