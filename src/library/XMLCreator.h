// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class GeneralRecItem;
class KeptDatabase;
class QXmlStreamAttributes;
class RecGroup;

// Writes the whole library tree as "RecordingsDB.xml". Made for one save.
class XMLCreator
{
public:
    // Writes atomically: a failed save leaves the old file as it was. With
    // `kept`, what was written is kept there in place of what was kept
    // before, whose size is the first guess of the new document's.
    bool createXML(const RecGroup* root, const QString& path, KeptDatabase* kept = nullptr);
    // With the expected size in bytes, the document is written into one buffer.
    QByteArray document(const RecGroup* root, qsizetype expected = 0);
    // One row with everything under it, in a document of its own that reads
    // as a library file; its root element carries the given attributes.
    QByteArray rowDocument(const GeneralRecItem* row, const QXmlStreamAttributes& rootAttributes);
};
