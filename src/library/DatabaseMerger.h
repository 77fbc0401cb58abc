// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

class GeneralRecItem;
class RecGroup;

// Brings what another program (another VoiceTray on a synced folder) saved
// into "RecordingsDB.xml" into the tree in memory before that tree is saved
// over it. Rows are matched by their path; each saved value and each mark is
// merged three ways against the version this program last read or wrote, so
// that a change on one side only is taken, a row deleted on one side stays
// deleted, and a value changed on both sides takes the newer change.
class DatabaseMerger
{
public:
    struct Row
    {
        QString descr;
        QString date;
        double duration = 0;
        bool expanded = false;
        // By mark ID: offset and note text.
        std::map<int, std::pair<float, QString>> marks;
        bool operator==(const Row&) const = default;
    };
    // By path below the output folder, categories and recordings apart;
    // looked up by path only, so hashed.
    using Snapshot = std::unordered_map<QString, Row>;

    // Puts a new row into a category of the tree in memory.
    using Attach = std::function<void(std::unique_ptr<GeneralRecItem> row, RecGroup* group)>;
    // Takes a row out of the tree in memory (not its file).
    using Remove = std::function<void(GeneralRecItem* row)>;

    static Snapshot snapshot(const RecGroup* root);
    static QString key(const GeneralRecItem* row);

    // The tree as it was last read from or written to the file; none (every
    // row then merges as one both sides made) until set.
    void setBase(const RecGroup* root) { m_base = snapshot(root); }

    // Merges the tree read from the file into the live tree; diskNewer says
    // whether the file's changes are newer than the last change in memory.
    // Answers whether the live tree changed.
    bool merge(RecGroup* live, const RecGroup* disk, bool diskNewer, const Attach& attach,
               const Remove& remove);

private:
    bool mergeRow(GeneralRecItem* live, const Row* base, const Row& disk, bool diskNewer);
    static std::unique_ptr<GeneralRecItem> copyRow(const GeneralRecItem* row);

    Snapshot m_base;
};
