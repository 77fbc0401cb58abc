// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QXmlStreamReader;
class RecGroup;
class RecordFactory;

// Reads "RecordingsDB.xml" into a category. The disk decides which
// recordings exist: an "Item" whose file is missing is left out.
class RecordingsDBReader
{
public:
    // Deeper categories would name paths no file system accepts; they are
    // skipped so that a hostile file cannot exhaust the stack.
    static constexpr int kMaxDepth = 200;

    RecordingsDBReader(const QString& outputFolder, RecordFactory& factory);

    // Loads the database file into root. A missing or malformed file leaves
    // root untouched and answers false.
    bool load(const QString& path, RecGroup* root);
    bool loadBytes(const QByteArray& bytes, RecGroup* root);

    static double leadingDouble(QStringView text);
    static int leadingInt(QStringView text);
    static bool leadingBool(QStringView text);

private:
    static bool isWellFormed(const QByteArray& bytes);
    void addElements(QXmlStreamReader& xml, RecGroup* group, int depth);
    void addItem(QXmlStreamReader& xml, RecGroup* group);
    void addGroup(QXmlStreamReader& xml, RecGroup* group, int depth);

    QString m_outputFolder;
    RecordFactory& m_factory;
    RecGroup* m_root = nullptr;
};
