// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/XMLCreator.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <charconv>

namespace {

// XML 1.0 cannot hold most control characters; dropping them keeps the file
// readable (a single pasted control character would otherwise make the whole
// library unreadable at the next start).
QString storable(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 0x20 || u == '\t' || u == '\n' || u == '\r')
            if (u != 0xFFFE && u != 0xFFFF)
                out.append(c);
    }
    return out;
}

template <typename Real> QString shortest(Real value)
{
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, result.ptr - buf);
}

} // namespace

QByteArray XMLCreator::document(const RecGroup* root)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement("Recordings");
    saveGroup(root, xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QByteArray XMLCreator::rowDocument(const GeneralRecItem* row,
                                   const QXmlStreamAttributes& rootAttributes)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement("Recordings");
    for (const QXmlStreamAttribute& attribute : rootAttributes)
        xml.writeAttribute(attribute.name().toString(), storable(attribute.value().toString()));
    if (const RecGroup* group = row->asGroup())
        saveGroupItem(group, xml);
    else
        saveItem(row->asItem(), xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

bool XMLCreator::createXML(const RecGroup* root, const QString& path)
{
    if (!root || path.isEmpty())
        return false;
    const QByteArray bytes = document(root);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    // Unbuffered, so that a short write (disk full, size limit) is seen here:
    // a buffered QSaveFile reports success for a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

void XMLCreator::saveGroup(const RecGroup* group, QXmlStreamWriter& xml)
{
    if (!group)
        return;
    for (const GeneralRecItem* sub : group->subItems()) {
        if (const RecGroup* category = sub->asGroup())
            saveGroupItem(category, xml);
        else
            saveItem(sub->asItem(), xml);
    }
}

void XMLCreator::saveGroupItem(const RecGroup* group, QXmlStreamWriter& xml)
{
    xml.writeStartElement("Group");
    xml.writeAttribute("ID", QString::number(group->ID()));
    xml.writeAttribute("Title", storable(group->title()));
    xml.writeAttribute("Expanded", group->isExpanded() ? "true" : "false");
    xml.writeAttribute("Description", storable(group->descr()));
    saveGroup(group, xml);
    xml.writeEndElement();
}

void XMLCreator::saveItem(const RecItem* item, QXmlStreamWriter& xml)
{
    xml.writeStartElement("Item");
    xml.writeAttribute("ID", QString::number(item->ID()));
    xml.writeAttribute("Title", storable(item->title()));
    xml.writeAttribute("Description", storable(item->descr()));
    xml.writeAttribute("CreateDate", storable(item->date()));
    xml.writeAttribute("Duration", shortest(item->duration()));
    // Readers that do not know it pass over it.
    if (!item->fingerprint().isEmpty())
        xml.writeAttribute("Fingerprint", item->fingerprint());
    for (const auto& mark : item->marks()) {
        xml.writeEmptyElement("Mark");
        xml.writeAttribute("Offset", shortest(mark->offset()));
        xml.writeAttribute("ID", QString::number(mark->markID()));
        xml.writeAttribute("Description", storable(mark->descr()));
    }
    xml.writeEndElement();
}
