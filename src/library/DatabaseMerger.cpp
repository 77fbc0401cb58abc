// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/DatabaseMerger.h"

#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/WalkRows.h"

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

namespace {

DatabaseMerger::Row rowOf(const GeneralRecItem* row)
{
    DatabaseMerger::Row r;
    r.descr = row->descr();
    if (const RecGroup* group = row->asGroup()) {
        r.expanded = group->isExpanded();
        return r;
    }
    const RecItem* item = row->asItem();
    r.date = item->date();
    r.duration = item->duration();
    for (const auto& mark : item->marks())
        r.marks.emplace(mark.markID(), std::make_pair(mark.offset(), mark.descr()));
    return r;
}

// The value of a three-way merge: a change on one side is taken; a change on
// both sides goes to the newer one.
template <typename T>
std::optional<T> pick(const std::optional<T>& local, const std::optional<T>& base,
                      const std::optional<T>& disk, bool diskNewer)
{
    if (local == disk || disk == base)
        return local;
    if (local == base)
        return disk;
    return diskNewer ? disk : local;
}

template <typename T>
std::optional<T> field(const DatabaseMerger::Row* row, T DatabaseMerger::Row::*member)
{
    return row ? std::optional<T>(row->*member) : std::nullopt;
}

} // namespace

QString DatabaseMerger::key(const GeneralRecItem* row)
{
    return (row->isGroup() ? QStringLiteral("G") : QStringLiteral("I")) +
           LibraryPaths::groupPath(row, nullptr);
}

DatabaseMerger::Snapshot DatabaseMerger::snapshot(const RecGroup* root)
{
    Snapshot shot;
    walkRows(root, [&](const GeneralRecItem* row) { shot.emplace(key(row), rowOf(row)); });
    return shot;
}

std::unique_ptr<GeneralRecItem> DatabaseMerger::copyRow(const GeneralRecItem* row)
{
    if (const RecGroup* group = row->asGroup()) {
        auto copy = std::make_unique<RecGroup>(RecGroup::WithExpandButton);
        copy->setTitle(group->title());
        copy->setDescr(group->descr());
        copy->setID(group->ID());
        copy->setExpanded(group->isExpanded());
        return copy;
    }
    const RecItem* item = row->asItem();
    auto copy = std::make_unique<RecItem>();
    for (const auto& mark : item->marks())
        copy->addMarkAtTime(mark.offset(), mark.descr(), mark.markID());
    copy->setTitle(item->title());
    copy->setID(item->ID());
    copy->setDescr(item->descr());
    copy->setDate(item->date());
    copy->setDuration(item->duration());
    copy->setFileMissing(item->isFileMissing());
    copy->setFingerprint(item->fingerprint());
    return copy;
}

bool DatabaseMerger::merge(RecGroup* live, const RecGroup* disk, bool diskNewer,
                           const Attach& attach, const Remove& remove)
{
    if (!live || !disk)
        return false;
    std::map<QString, GeneralRecItem*> liveRows;
    walkRows(live, [&](GeneralRecItem* row) { liveRows.emplace(key(row), row); });
    std::vector<const GeneralRecItem*> diskRows;
    walkRows(disk, [&](const GeneralRecItem* row) { diskRows.push_back(row); });

    bool changed = false;
    std::set<QString> onDisk;
    for (const GeneralRecItem* row : diskRows) {
        const QString k = key(row);
        onDisk.insert(k);
        const Row diskRow = rowOf(row);
        const auto base = m_base.find(k);
        const Row* baseRow = base == m_base.end() ? nullptr : &base->second;
        if (const auto found = liveRows.find(k); found != liveRows.end()) {
            // A row both sides made (a synced file both adopted) merges
            // against an empty row, so that texts only one side has are kept.
            static const Row kEmpty;
            changed |= mergeRow(found->second, baseRow ? baseRow : &kEmpty, diskRow, diskNewer);
            continue;
        }
        // Deleted here and not changed there since: it stays deleted.
        if (baseRow && *baseRow == diskRow)
            continue;
        RecGroup* parent = live;
        if (row->parent() != disk) {
            const auto p = liveRows.find(key(row->parent()));
            if (p == liveRows.end() || !p->second->isGroup())
                continue;
            parent = p->second->asGroup();
        }
        std::unique_ptr<GeneralRecItem> copy = copyRow(row);
        GeneralRecItem* added = copy.get();
        attach(std::move(copy), parent);
        if (added->parent() == parent)
            liveRows.emplace(k, added);
        changed = true;
    }

    // Rows the other side deleted and this side left as they were go too;
    // categories only once nothing is left in them, the deepest first.
    std::vector<GeneralRecItem*> gone;
    for (const auto& [k, row] : liveRows) {
        const auto base = m_base.find(k);
        if (!onDisk.count(k) && base != m_base.end() && base->second == rowOf(row))
            gone.push_back(row);
    }
    std::stable_sort(
        gone.begin(), gone.end(),
        [](const GeneralRecItem* a, const GeneralRecItem* b) { return a->level() > b->level(); });
    for (GeneralRecItem* row : gone) {
        if (row->isGroup() && !row->asGroup()->subItems().isEmpty())
            continue;
        remove(row);
        changed = true;
    }
    return changed;
}

bool DatabaseMerger::mergeRow(GeneralRecItem* live, const Row* base, const Row& disk,
                              bool diskNewer)
{
    const Row local = rowOf(live);
    if (local == disk)
        return false;
    const auto descr = pick(field(&local, &Row::descr), field(base, &Row::descr),
                            field(&disk, &Row::descr), diskNewer);
    if (*descr != local.descr)
        live->setDescr(*descr);
    if (RecGroup* group = live->asGroup()) {
        const auto expanded = pick(field(&local, &Row::expanded), field(base, &Row::expanded),
                                   field(&disk, &Row::expanded), diskNewer);
        if (*expanded != local.expanded)
            group->setExpanded(*expanded);
        return true;
    }
    RecItem* item = live->asItem();
    const auto date = pick(field(&local, &Row::date), field(base, &Row::date),
                           field(&disk, &Row::date), diskNewer);
    if (*date != local.date)
        item->setDate(*date);
    const auto duration = pick(field(&local, &Row::duration), field(base, &Row::duration),
                               field(&disk, &Row::duration), diskNewer);
    if (*duration != local.duration)
        item->setDuration(*duration);

    std::set<int> ids;
    for (const Row* r : {&local, base, &disk})
        if (r)
            for (const auto& entry : r->marks)
                ids.insert(entry.first);
    using Mark = std::pair<float, QString>;
    const auto markOf = [](const Row* r, int id) -> std::optional<Mark> {
        if (!r)
            return std::nullopt;
        const auto found = r->marks.find(id);
        return found == r->marks.end() ? std::nullopt : std::optional<Mark>(found->second);
    };
    for (int id : ids) {
        const std::optional<Mark> had = markOf(&local, id);
        const std::optional<Mark> want = pick(had, markOf(base, id), markOf(&disk, id), diskNewer);
        if (want == had)
            continue;
        TimeMark* mark = item->markByID(id);
        if (!want)
            item->removeMark(mark);
        else if (!mark)
            item->addMarkAtTime(want->first, want->second, id);
        else {
            mark->setOffset(want->first);
            item->setMarkDescr(mark, want->second);
        }
    }
    return true;
}
