// SPDX-License-Identifier: GPL-3.0-or-later
// Save and load of a large library, the tree walks that run on every new row
// and every selection change, and the rescan of the output tree.
#include "app/LibraryAdopter.h"
#include "library/DiskScan.h"
#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/RecordingsDBReader.h"
#include "library/XMLCreator.h"
#include "media/HeapTuning.h"
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
struct Library
{
    QTemporaryDir dir;
    RecOutlineController outline;
    QScrollArea scroll;

    Library()
    {
        outline.setOutlineView(new RecOutlineView, &scroll);
        RecGroup* root = outline.mainGroup();
        for (int c = 0; c < kCategories; ++c) {
            auto owned = outline.createNewGroup();
            RecGroup* cat = owned.get();
            cat->setTitle(QString("Category %1").arg(c));
            cat->setExpanded(true);
            outline.insertRow(std::move(owned), root);
            QDir().mkpath(dir.path() + "/" + cat->title());
            for (int i = 0; i < kRecordings / kCategories; ++i) {
                auto ownedItem = outline.createNewItem();
                RecItem* item = ownedItem.get();
                item->setTitle(QString("Untitled %1").arg(i));
                item->setDescr("A meeting about the quarterly figures");
                item->setDuration(61.5 + i);
                for (int m = 0; m < 5; ++m)
                    item->addMarkAtTime(m * 10.5f, "note text at this mark", m);
                outline.insertRow(std::move(ownedItem), cat);
                QFile(LibraryPaths::restorePath(dir.path(), item, root)).open(QIODevice::WriteOnly);
            }
        }
        outline.arrangeItems();
    }
    QString db() const { return LibraryPaths::databasePath(dir.path()); }
};

Library* g_library = nullptr;

Library& library()
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
    Library& lib = library();
    for (auto _ : state)
        benchmark::DoNotOptimize(XMLCreator().createXML(lib.outline.mainGroup(), lib.db()));
    state.counters["bytes"] = double(QFile(lib.db()).size());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_LoadRecords(benchmark::State& state)
{
    Library& lib = library();
    XMLCreator().createXML(lib.outline.mainGroup(), lib.db());
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
    Library& lib = library();
    XMLCreator().createXML(lib.outline.mainGroup(), lib.db());
    double cpu = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        auto scroll = std::make_unique<QScrollArea>();
        auto outline = std::make_unique<RecOutlineController>();
        outline->setOutlineView(new RecOutlineView, scroll.get());
        RecOutlineController* controller = outline.get();
        RecordingsDBReader(lib.dir.path(), [controller](std::unique_ptr<GeneralRecItem> item,
                                                        RecGroup* group) {
            controller->insertRow(std::move(item), group);
        }).load(lib.db(), controller->mainGroup());
        controller->arrangeItems();
        cpu += cpuSeconds() - start;
        state.PauseTiming();
        outline.reset();
        scroll.reset();
        state.ResumeTiming();
    }
    countCpu(state, cpu);
}
BENCHMARK(BM_LoadIntoOutline)->Unit(benchmark::kMillisecond);

void BM_CreateNewID(benchmark::State& state)
{
    Library& lib = library();
    for (auto _ : state)
        benchmark::DoNotOptimize(lib.outline.createNewID());
}
BENCHMARK(BM_CreateNewID)->Unit(benchmark::kMicrosecond);

void BM_SelectedItemsOfGroup(benchmark::State& state)
{
    Library& lib = library();
    const auto& cats = lib.outline.mainGroup()->subItems();
    for (int c = 0; c < kCategories; c += 7)
        static_cast<RecGroup*>(cats[c])->subItems()[3]->setSelected(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(lib.outline.selectedItemsOfGroup(lib.outline.mainGroup()));
}
BENCHMARK(BM_SelectedItemsOfGroup)->Unit(benchmark::kMicrosecond);

// What every change in the output tree costs: a look at all 10,000 files and
// 500 folders, and bringing the tree in line with it (nothing changed).
void BM_Rescan(benchmark::State& state)
{
    Library& lib = library();
    LibraryAdopter adopter(&lib.outline);
    for (auto _ : state) {
        const DiskScan scan = DiskScan::of(lib.dir.path());
        benchmark::DoNotOptimize(adopter.reconcile(lib.dir.path(), scan));
    }
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
    g_library = new Library;
    benchmark::RunSpecifiedBenchmarks();
    delete g_library;
    return 0;
}
