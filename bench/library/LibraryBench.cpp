// SPDX-License-Identifier: GPL-3.0-or-later
// Save and load of a large library, the tree walks that run on every new row
// and every selection change, and the rescan of the output tree.
#include "library/Library.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/RecordingsDBReader.h"
#include "library/XMLCreator.h"
#include "media/HeapTuning.h"
#include "media/MediaFileJobs.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>
#include <unistd.h>

namespace {

constexpr int kCategories = 500;
constexpr int kRecordings = 10000;

// 10,000 recordings in 500 categories, 5 marks each, with their files.
struct BigLibrary
{
    QTemporaryDir dir;
    MediaFileJobs jobs;
    Library library{&jobs};
    RecOutlineController outline;
    QScrollArea scroll;

    BigLibrary()
    {
        library.open(dir.path(), {});
        outline.setOutlineView(new RecOutlineView, &scroll);
        RecGroup* root = library.root();
        for (int c = 0; c < kCategories; ++c) {
            RecGroup* cat = static_cast<RecGroup*>(library.insert(library.newCategory(), root));
            cat->setTitle(QString("Category %1").arg(c));
            cat->setExpanded(true);
            QDir().mkpath(dir.path() + "/" + cat->title());
            for (int i = 0; i < kRecordings / kCategories; ++i) {
                RecItem* item = static_cast<RecItem*>(library.insert(library.newRecording(), cat));
                item->setTitle(QString("Untitled %1").arg(i));
                item->setDescr("A meeting about the quarterly figures");
                item->setDuration(61.5 + i);
                for (int m = 0; m < 5; ++m)
                    item->addMarkAtTime(m * 10.5f, "note text at this mark", m);
                QFile(LibraryPaths::restorePath(dir.path(), item, root)).open(QIODevice::WriteOnly);
            }
        }
        outline.setTree(root);
    }
    QString db() const { return LibraryPaths::databasePath(dir.path()); }
};

BigLibrary* g_library = nullptr;

BigLibrary& library()
{
    return *g_library;
}

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// CPU seconds of the loads alone (bench/run.sh prints them beside the wall
// time): the machine is shared, and wall time carries the other builds.
void countCpu(benchmark::State& state, double seconds)
{
    state.counters["cpu_s"] = benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
}

void attachPlain(std::unique_ptr<GeneralRecItem> item, RecGroup* group)
{
    group->addSubItem(std::move(item))->setParent(group);
}

void BM_Save(benchmark::State& state)
{
    BigLibrary& lib = library();
    for (auto _ : state)
        benchmark::DoNotOptimize(XMLCreator().createXML(lib.library.root(), lib.db()));
    state.counters["bytes"] = double(QFile(lib.db()).size());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_LoadRecords(benchmark::State& state)
{
    BigLibrary& lib = library();
    XMLCreator().createXML(lib.library.root(), lib.db());
    // The library's 10,000 files, just made, are on the disk, as they are
    // when the program starts: their writing is not billed to the load.
    sync();
    double cpu = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        auto root = std::make_unique<RecGroup>(RecGroup::Bare);
        RecordingsDBReader(lib.dir.path(), attachPlain).load(lib.db(), root.get());
        benchmark::DoNotOptimize(root->subItems().size());
        cpu += cpuSeconds() - start;
        // Freeing the tree is not part of loading it.
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    countCpu(state, cpu);
}
BENCHMARK(BM_LoadRecords)->Unit(benchmark::kMillisecond);

void BM_LoadIntoOutline(benchmark::State& state)
{
    BigLibrary& lib = library();
    XMLCreator().createXML(lib.library.root(), lib.db());
    double cpu = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        auto scroll = std::make_unique<QScrollArea>();
        auto outline = std::make_unique<RecOutlineController>();
        auto opened = std::make_unique<Library>(&lib.jobs);
        outline->setOutlineView(new RecOutlineView, scroll.get());
        opened->open(lib.dir.path(), {});
        outline->setTree(opened->root());
        cpu += cpuSeconds() - start;
        state.PauseTiming();
        outline.reset();
        scroll.reset();
        opened.reset();
        state.ResumeTiming();
    }
    countCpu(state, cpu);
}
BENCHMARK(BM_LoadIntoOutline)->Unit(benchmark::kMillisecond);

void BM_NewRecording(benchmark::State& state)
{
    BigLibrary& lib = library();
    for (auto _ : state)
        benchmark::DoNotOptimize(lib.library.newRecording());
}
BENCHMARK(BM_NewRecording)->Unit(benchmark::kMicrosecond);

void BM_SelectedItemsOfGroup(benchmark::State& state)
{
    BigLibrary& lib = library();
    const auto& cats = lib.library.root()->subItems();
    for (int c = 0; c < kCategories; c += 7)
        static_cast<RecGroup*>(cats[c])->subItems()[3]->setSelected(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(lib.outline.selectedItemsOfGroup(lib.library.root()));
}
BENCHMARK(BM_SelectedItemsOfGroup)->Unit(benchmark::kMicrosecond);

// What every change in the output tree costs: a look at all 10,000 files and
// 500 folders, and bringing the tree in line with it (nothing changed).
void BM_Rescan(benchmark::State& state)
{
    BigLibrary& lib = library();
    for (auto _ : state)
        lib.library.rescan();
}
BENCHMARK(BM_Rescan)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // The heap as the program sets it up.
    HeapTuning::keepLargeBlocks();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    g_library = new BigLibrary;
    benchmark::RunSpecifiedBenchmarks();
    delete g_library;
    return 0;
}
