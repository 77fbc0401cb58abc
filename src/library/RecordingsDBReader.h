// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <memory>

class GeneralRecItem;
class QXmlStreamReader;
class RecGroup;

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

    // Loads the database into root. A missing or malformed file leaves root
    // untouched and answers false: a damaged file never gives half a library.
    bool load(const QString& path, RecGroup* root);
    bool loadBytes(const QByteArray& bytes, RecGroup* root);

    static double leadingDouble(QStringView text);
    static int leadingInt(QStringView text);
    static bool leadingBool(QStringView text);

private:
    void addElements(QXmlStreamReader& xml, RecGroup* group, int depth);
    void addItem(QXmlStreamReader& xml, RecGroup* group);
    void addGroup(QXmlStreamReader& xml, RecGroup* group, int depth);

    QString m_outputFolder;
    Attach m_attach;
    RecGroup* m_root = nullptr;
};
