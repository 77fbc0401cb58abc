// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class GeneralRecItem;
class QXmlStreamAttributes;
class RecGroup;

// Writes the whole library tree as "RecordingsDB.xml". Made for one save.
class XMLCreator
{
public:
    // Writes atomically: a failed save leaves the old file as it was.
    bool createXML(const RecGroup* root, const QString& path);
    // With the expected size in bytes, the document is written into one buffer.
    QByteArray document(const RecGroup* root, qsizetype expected = 0);
    // One row with everything under it, in a document of its own that reads
    // as a library file; its root element carries the given attributes.
    QByteArray rowDocument(const GeneralRecItem* row, const QXmlStreamAttributes& rootAttributes);
};
