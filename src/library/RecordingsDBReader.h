// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/FileLookup.h"
#include "library/TimeMark.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class GeneralRecItem;
class RecGroup;
class RecItem;

// Reads "RecordingsDB.xml". An "Item" whose file is missing is kept with
// its texts and marks and marked as such, so that a file moved away or a
// drive not mounted costs nothing once the file is back.
class RecordingsDBReader
{
public:
    // Deeper categories would name paths no file system accepts; they are
    // skipped so that a hostile file cannot exhaust the stack.
    static constexpr int kMaxDepth = 200;

    // Puts a top-level record (with its subtree) into the tree; the outline
    // passes its own row insertion.
    using Attach = std::function<void(std::unique_ptr<GeneralRecItem> item, RecGroup* group)>;

    RecordingsDBReader(const QString& outputFolder, Attach attach);

    // Leaves every row's file unlooked-for, when a look at the whole output
    // tree follows anyway and marks the missing ones.
    void leaveFilesToTheScan() { m_lookAtFiles = false; }

    // Loads the database into root. A missing or malformed file leaves root
    // untouched and answers false: a damaged file never gives half a library.
    bool load(const QString& path, RecGroup* root);
    bool loadBytes(const QByteArray& bytes, RecGroup* root);
    // The same with bytes nobody else holds, which the read overwrites
    // rather than copies; `again` gives them back for the full XML reader
    // when the strict parse declines them.
    bool loadOwnedBytes(QByteArray&& bytes, RecGroup* root,
                        const std::function<QByteArray()>& again);

    static double leadingDouble(QStringView text);
    static int leadingInt(QStringView text);
    static bool leadingBool(QStringView text);

private:
    enum class Element
    {
        Item,
        Group,
        Mark,
        Other
    };
    // An open category, where its children go, or recording, where its marks go.
    struct Open
    {
        RecGroup* group = nullptr;
        RecItem* item = nullptr;
        int depth = 0;
        // The category's folder, where its recordings' files are looked for.
        QString folder;
    };

    // The strict parse takes the files this program writes, overwriting
    // their bytes; the full XML reader everything else, with its own checks.
    bool parse(QByteArray& bytes, RecGroup* into);
    bool readFully(const QByteArray& bytes, RecGroup* into);
    template <typename Attributes> void startElement(Element element, const Attributes& attributes);
    void endElement();

    QString m_outputFolder;
    Attach m_attach;
    RecGroup* m_root = nullptr;
    std::vector<Open> m_open;
    // The marks of the open recording, which takes them all at once when
    // it ends: one allocation for their list rather than one per doubling.
    std::vector<TimeMark> m_marks;
    // How deep the reader is inside a subtree it skips.
    qsizetype m_skipped = 0;
    FileLookup m_files;
    bool m_lookAtFiles = true;
};
