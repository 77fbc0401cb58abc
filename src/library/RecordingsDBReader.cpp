// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecordingsDBReader.h"

#include "library/LibraryPaths.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TitleRules.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <cmath>
#include <limits>

namespace {

qsizetype skipSpaces(QStringView text, qsizetype i)
{
    while (i < text.size() && text[i].isSpace())
        ++i;
    return i;
}

qsizetype skipDigits(QStringView text, qsizetype i)
{
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    return i;
}

} // namespace

namespace {

template <typename Row> Row* attachPlain(std::unique_ptr<Row> row, RecGroup* group)
{
    Row* added = group->addSubItem(std::move(row));
    added->setParent(group);
    return added;
}

} // namespace

RecordingsDBReader::RecordingsDBReader(const QString& outputFolder, Attach attach)
    : m_outputFolder(outputFolder), m_attach(std::move(attach))
{
}

double RecordingsDBReader::leadingDouble(QStringView text)
{
    const qsizetype start = skipSpaces(text, 0);
    qsizetype i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const qsizetype intStart = i;
    i = skipDigits(text, i);
    bool anyDigit = i > intStart;
    if (i < text.size() && text[i] == '.') {
        const qsizetype fracStart = i + 1;
        const qsizetype fracEnd = skipDigits(text, fracStart);
        if (anyDigit || fracEnd > fracStart) {
            anyDigit = true;
            i = fracEnd;
        }
    }
    if (!anyDigit)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        qsizetype e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        const qsizetype expEnd = skipDigits(text, e);
        if (expEnd > e)
            i = expEnd;
    }
    const double value = text.mid(start, i - start).toString().toDouble();
    return std::isfinite(value) ? value : 0;
}

int RecordingsDBReader::leadingInt(QStringView text)
{
    qsizetype i = skipSpaces(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        value = value * 10 + text[i].digitValue();
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(negative ? -value : value);
}

bool RecordingsDBReader::leadingBool(QStringView text)
{
    qsizetype i = skipSpaces(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    while (i < text.size() && text[i] == '0')
        ++i;
    if (i >= text.size())
        return false;
    const QChar c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

bool RecordingsDBReader::load(const QString& path, RecGroup* root)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return loadBytes(file.readAll(), root);
}

bool RecordingsDBReader::loadBytes(const QByteArray& bytes, RecGroup* root)
{
    if (!root)
        return false;
    // Read into a detached tree first; only a file read to its end is used.
    RecGroup loaded(RecGroup::Bare);
    m_root = &loaded;
    QXmlStreamReader xml(bytes);
    bool hasRoot = false;
    while (!xml.atEnd() && !hasRoot) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            hasRoot = true;
            addElements(xml, &loaded, 0);
        }
    }
    while (!xml.atEnd())
        xml.readNext();
    if (!hasRoot || xml.hasError())
        return false;
    for (std::unique_ptr<GeneralRecItem>& item : loaded.takeSubItems())
        m_attach(std::move(item), root);
    return true;
}

void RecordingsDBReader::addElements(QXmlStreamReader& xml, RecGroup* group, int depth)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == u"Item")
            addItem(xml, group);
        else if (xml.name() == u"Group")
            addGroup(xml, group, depth);
        else
            xml.skipCurrentElement();
    }
}

void RecordingsDBReader::addItem(QXmlStreamReader& xml, RecGroup* group)
{
    const QXmlStreamAttributes attrs = xml.attributes();
    const QString title = attrs.value("Title").toString();
    const bool complete = attrs.hasAttribute("Title") && attrs.hasAttribute("Description") &&
                          attrs.hasAttribute("CreateDate") && attrs.hasAttribute("ID") &&
                          attrs.hasAttribute("Duration");
    const QString file =
        m_outputFolder + LibraryPaths::groupPath(group, m_root) + "/" + title + ".m4a";
    if (!complete || !TitleRules::isSafeTitle(title)) {
        xml.skipCurrentElement();
        return;
    }
    auto item = std::make_unique<RecItem>();
    while (xml.readNextStartElement()) {
        if (xml.name() == u"Mark") {
            const QXmlStreamAttributes m = xml.attributes();
            if (m.hasAttribute("Offset") && m.hasAttribute("ID") && m.hasAttribute("Description"))
                item->addMarkAtTime(float(leadingDouble(m.value("Offset"))),
                                    m.value("Description").toString(), leadingInt(m.value("ID")));
        }
        xml.skipCurrentElement();
    }
    item->setTitle(title);
    item->setID(leadingInt(attrs.value("ID")));
    item->setDescr(attrs.value("Description").toString());
    item->setDate(attrs.value("CreateDate").toString());
    item->setDuration(leadingDouble(attrs.value("Duration")));
    item->setFileMissing(!QFileInfo(file).isFile());
    attachPlain(std::move(item), group);
}

void RecordingsDBReader::addGroup(QXmlStreamReader& xml, RecGroup* group, int depth)
{
    const QXmlStreamAttributes attrs = xml.attributes();
    const QString title = attrs.value("Title").toString();
    const bool complete = attrs.hasAttribute("Title") && attrs.hasAttribute("Description") &&
                          attrs.hasAttribute("ID") && attrs.hasAttribute("Expanded");
    if (!complete || !TitleRules::isSafeTitle(title) || depth >= kMaxDepth) {
        xml.skipCurrentElement();
        return;
    }
    auto sub = std::make_unique<RecGroup>(RecGroup::WithExpandButton);
    sub->setTitle(title);
    sub->setDescr(attrs.value("Description").toString());
    sub->setID(leadingInt(attrs.value("ID")));
    sub->setExpanded(leadingBool(attrs.value("Expanded")));
    addElements(xml, attachPlain(std::move(sub), group), depth + 1);
}
