// SPDX-License-Identifier: GPL-3.0-or-later
// Save and load of a large library, the tree walks that run on every new row
// and every selection change, and the rescan of the output tree. Each runs on
// 10,000 recordings in 500 categories and on 100,000 in 2,000.
#include "LibrarySizes.h"
#include "library/FileFingerprint.h"
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
#include <chrono>
#include <ctime>
#include <malloc.h>
#include <map>
#include <unistd.h>

namespace {

// Until the look at the output tree that open() or rescan() asked for is in the tree.
void waitForDisk(Library& library)
{
    while (library.isScanning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The recordings, 5 marks each, in the given number of categories, with
// their files and fingerprints.
struct BigLibrary
{
    QTemporaryDir dir;
    MediaFileJobs jobs;
    Library library{&jobs};
    RecOutlineController outline;
    QScrollArea scroll;

    BigLibrary(int recordings, int categories)
    {
        library.open(dir.path(), {});
        waitForDisk(library);
        outline.setOutlineView(new RecOutlineView, &scroll);
        RecGroup* root = library.root();
        int id = 0;
        for (int c = 0; c < categories; ++c) {
            auto category = std::make_unique<RecGroup>(RecGroup::WithExpandButton);
            category->setID(id++);
            category->setTitle(QString("Category %1").arg(c));
            category->setExpanded(true);
            auto* cat = static_cast<RecGroup*>(library.insert(std::move(category), root));
            QDir().mkpath(dir.path() + "/" + cat->title());
            for (int i = 0; i < recordings / categories; ++i) {
                auto recording = std::make_unique<RecItem>();
                recording->setID(id++);
                recording->setTitle(QString("Untitled %1").arg(i));
                recording->setDescr("A meeting about the quarterly figures");
                recording->setDate("2026-12-08 10:15:00");
                recording->setDuration(61.5 + i);
                for (int m = 0; m < 5; ++m)
                    recording->addMarkAtTime(m * 10.5f, "note text at this mark", m);
                RecItem* item = static_cast<RecItem*>(library.insert(std::move(recording), cat));
                const QString path = LibraryPaths::restorePath(dir.path(), item, root);
                QFile(path).open(QIODevice::WriteOnly);
                // As a library saved before has it: no load takes it anew.
                item->setFingerprint(FileFingerprint::of(path));
            }
        }
        outline.setTree(root);
    }
    QString db() const { return LibraryPaths::databasePath(dir.path()); }
};

LibrariesBySize<BigLibrary> g_libraries;

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
    BigLibrary& lib = g_libraries.of(state);
    double cpu = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        benchmark::DoNotOptimize(XMLCreator().createXML(lib.library.root(), lib.db()));
        cpu += cpuSeconds() - start;
    }
    countCpu(state, cpu);
    state.counters["bytes"] = double(QFile(lib.db()).size());
}
BENCHMARK(BM_Save)->Apply(librarySizes)->Unit(benchmark::kMillisecond);

void BM_LoadRecords(benchmark::State& state)
{
    BigLibrary& lib = g_libraries.of(state);
    XMLCreator().createXML(lib.library.root(), lib.db());
    // The library's 10,000 files, just made, are on the disk, as they are
    // when the program starts: their writing is not billed to the load.
    sync();
    double cpu = 0;
    double heap = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        const size_t heapBefore = mallinfo2().uordblks;
        auto root = std::make_unique<RecGroup>(RecGroup::Bare);
        RecordingsDBReader(lib.dir.path(), attachPlain).load(lib.db(), root.get());
        benchmark::DoNotOptimize(root->subItems().size());
        cpu += cpuSeconds() - start;
        heap += double(mallinfo2().uordblks) - double(heapBefore);
        // Freeing the tree is not part of loading it.
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    countCpu(state, cpu);
    // What the loaded tree holds on the heap, per recording.
    state.counters["heap_b_per_rec"] =
        benchmark::Counter(heap / double(state.range(0)), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoadRecords)->Apply(librarySizes)->Unit(benchmark::kMillisecond);

void BM_LoadIntoOutline(benchmark::State& state)
{
    BigLibrary& lib = g_libraries.of(state);
    XMLCreator().createXML(lib.library.root(), lib.db());
    double cpu = 0;
    double withDisk = 0;
    double heapLibrary = 0;
    double heapOutline = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        auto scroll = std::make_unique<QScrollArea>();
        auto outline = std::make_unique<RecOutlineController>();
        auto opened = std::make_unique<Library>(&lib.jobs);
        outline->setOutlineView(new RecOutlineView, scroll.get());
        const size_t heapBefore = mallinfo2().uordblks;
        opened->open(lib.dir.path(), {});
        const size_t heapOpened = mallinfo2().uordblks;
        outline->setTree(opened->root());
        cpu += cpuSeconds() - start;
        heapLibrary += double(heapOpened) - double(heapBefore);
        heapOutline += double(mallinfo2().uordblks) - double(heapOpened);
        state.PauseTiming();
        // The listing of the disk, made meanwhile on a worker, taken into the
        // rows shown: what the user waits for to see missing files marked.
        waitForDisk(*opened);
        withDisk +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        outline.reset();
        scroll.reset();
        opened.reset();
        state.ResumeTiming();
    }
    countCpu(state, cpu);
    state.counters["with_disk_s"] =
        benchmark::Counter(withDisk, benchmark::Counter::kAvgIterations);
    // What the opened library and the outline's rows hold on the heap, per
    // recording.
    const double recordings = double(state.range(0));
    state.counters["library_b_per_rec"] =
        benchmark::Counter(heapLibrary / recordings, benchmark::Counter::kAvgIterations);
    state.counters["outline_b_per_rec"] =
        benchmark::Counter(heapOutline / recordings, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoadIntoOutline)->Apply(librarySizes)->Unit(benchmark::kMillisecond);

// What the user waits for after renaming one recording: the file renamed
// and the whole library saved over the file it saved before.
void BM_SaveAfterRename(benchmark::State& state)
{
    BigLibrary& lib = g_libraries.of(state);
    lib.library.enableSaving();
    lib.library.save();
    GeneralRecItem* row = lib.library.root()->subItems().last()->asGroup()->subItems().first();
    bool renamed = false;
    double cpu = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        const QString title = renamed ? "Untitled 0" : "Renamed";
        row->setEditedTitle(title);
        if (!lib.library.rename(row, title))
            state.SkipWithError("the rename failed");
        renamed = !renamed;
        cpu += cpuSeconds() - start;
    }
    countCpu(state, cpu);
}
BENCHMARK(BM_SaveAfterRename)->Apply(librarySizes)->Unit(benchmark::kMillisecond);

// The same after another program (a copy on a synced folder) replaced the
// file: both versions read again and merged before the save.
void BM_SaveAfterOtherSave(benchmark::State& state)
{
    BigLibrary& lib = g_libraries.of(state);
    lib.library.enableSaving();
    lib.library.save();
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        XMLCreator().createXML(lib.library.root(), lib.db());
        state.ResumeTiming();
        const double start = cpuSeconds();
        lib.library.save();
        cpu += cpuSeconds() - start;
    }
    countCpu(state, cpu);
}
BENCHMARK(BM_SaveAfterOtherSave)->Apply(librarySizes)->Unit(benchmark::kMillisecond);

void BM_NewRecording(benchmark::State& state)
{
    BigLibrary& lib = g_libraries.of(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(lib.library.newRecording());
}
BENCHMARK(BM_NewRecording)->Apply(librarySizes)->Unit(benchmark::kMicrosecond);

void BM_SelectedItemsOfGroup(benchmark::State& state)
{
    BigLibrary& lib = g_libraries.of(state);
    const auto& cats = lib.library.root()->subItems();
    for (qsizetype c = 0; c < cats.size(); c += 7)
        static_cast<RecGroup*>(cats[c])->subItems()[3]->setSelected(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(lib.outline.selectedItemsOfGroup(lib.library.root()));
}
BENCHMARK(BM_SelectedItemsOfGroup)->Apply(librarySizes)->Unit(benchmark::kMicrosecond);

// What every change in the output tree costs: a look at all files and
// folders, and bringing the tree in line with it (nothing changed).
void BM_Rescan(benchmark::State& state)
{
    BigLibrary& lib = g_libraries.of(state);
    for (auto _ : state) {
        lib.library.rescan();
        waitForDisk(lib.library);
    }
}
BENCHMARK(BM_Rescan)->Apply(librarySizes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // The heap as the program sets it up.
    HeapTuning::keepLargeBlocks();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    g_libraries.clear();
    return 0;
}
