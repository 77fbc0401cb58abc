// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecordingsDBReader.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/RecordingsDBParser.h"
#include "library/TitleRules.h"

#include <QFile>
#include <QVarLengthArray>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

char16_t at(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

char16_t at(QLatin1StringView text, qsizetype i)
{
    return uchar(text[i].toLatin1());
}

template <typename Text> qsizetype skipSpaces(Text text, qsizetype i)
{
    while (i < text.size() && QChar(at(text, i)).isSpace())
        ++i;
    return i;
}

template <typename Text> qsizetype skipDigits(Text text, qsizetype i)
{
    while (i < text.size() && QChar(at(text, i)).isDigit() && at(text, i) < 128)
        ++i;
    return i;
}

template <typename Text> double leadingDoubleOf(Text text)
{
    const qsizetype start = skipSpaces(text, 0);
    qsizetype i = start;
    if (i < text.size() && (at(text, i) == '+' || at(text, i) == '-'))
        ++i;
    const qsizetype intStart = i;
    i = skipDigits(text, i);
    bool anyDigit = i > intStart;
    if (i < text.size() && at(text, i) == '.') {
        const qsizetype fracStart = i + 1;
        const qsizetype fracEnd = skipDigits(text, fracStart);
        if (anyDigit || fracEnd > fracStart) {
            anyDigit = true;
            i = fracEnd;
        }
    }
    if (!anyDigit)
        return 0;
    if (i < text.size() && (at(text, i) == 'e' || at(text, i) == 'E')) {
        qsizetype e = i + 1;
        if (e < text.size() && (at(text, e) == '+' || at(text, e) == '-'))
            ++e;
        const qsizetype expEnd = skipDigits(text, e);
        if (expEnd > e)
            i = expEnd;
    }
    // Only ASCII sign, digits, point and exponent are left to convert.
    QVarLengthArray<char, 64> number;
    for (qsizetype k = start; k < i; ++k)
        number.append(char(at(text, k)));
    const double value = QByteArrayView(number.data(), number.size()).toDouble();
    return std::isfinite(value) ? value : 0;
}

template <typename Text> int leadingIntOf(Text text)
{
    qsizetype i = skipSpaces(text, 0);
    bool negative = false;
    if (i < text.size() && (at(text, i) == '+' || at(text, i) == '-'))
        negative = at(text, i++) == '-';
    long long value = 0;
    for (; i < text.size() && QChar(at(text, i)).isDigit() && at(text, i) < 128; ++i) {
        value = value * 10 + QChar(at(text, i)).digitValue();
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(negative ? -value : value);
}

template <typename Text> bool leadingBoolOf(Text text)
{
    qsizetype i = skipSpaces(text, 0);
    if (i < text.size() && (at(text, i) == '+' || at(text, i) == '-'))
        ++i;
    while (i < text.size() && at(text, i) == '0')
        ++i;
    if (i >= text.size())
        return false;
    const QChar c = at(text, i);
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

// The attributes of an element as the full XML reader gives them.
class ReadAttributes
{
public:
    explicit ReadAttributes(const QXmlStreamAttributes& attributes) : m_attributes(attributes) {}
    bool has(const char* name) const { return m_attributes.hasAttribute(QLatin1StringView(name)); }
    QString text(const char* name) const { return value(name).toString(); }
    double real(const char* name) const { return leadingDoubleOf(value(name)); }
    int integer(const char* name) const { return leadingIntOf(value(name)); }
    bool flag(const char* name) const { return leadingBoolOf(value(name)); }

private:
    QStringView value(const char* name) const
    {
        return m_attributes.value(QLatin1StringView(name));
    }
    const QXmlStreamAttributes& m_attributes;
};

// The attributes of an element as the strict parse found them. Numbers in
// plain ASCII are read from the bytes; anything else as the decoded text.
class ParsedAttributes
{
public:
    explicit ParsedAttributes(const RecordingsDBParser::Attributes& attributes)
        : m_attributes(attributes)
    {
    }
    bool has(const char* name) const { return m_attributes.has(name); }
    QString text(const char* name) const { return m_attributes.text(name); }
    double real(const char* name) const
    {
        return number(name, leadingDoubleOf<QLatin1StringView>, leadingDoubleOf<QStringView>);
    }
    int integer(const char* name) const
    {
        return number(name, leadingIntOf<QLatin1StringView>, leadingIntOf<QStringView>);
    }
    bool flag(const char* name) const
    {
        return number(name, leadingBoolOf<QLatin1StringView>, leadingBoolOf<QStringView>);
    }

private:
    template <typename Result>
    Result number(const char* name, Result (*ascii)(QLatin1StringView),
                  Result (*decoded)(QStringView)) const
    {
        const QByteArrayView raw = m_attributes.raw(name).value_or(QByteArrayView());
        const bool plain =
            std::all_of(raw.begin(), raw.end(), [](char c) { return uchar(c) < 0x80 && c != '&'; });
        if (plain)
            return ascii(QLatin1StringView(raw));
        return decoded(RecordingsDBParser::decode(raw));
    }
    const RecordingsDBParser::Attributes& m_attributes;
};

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
    return leadingDoubleOf(text);
}

int RecordingsDBReader::leadingInt(QStringView text)
{
    return leadingIntOf(text);
}

bool RecordingsDBReader::leadingBool(QStringView text)
{
    return leadingBoolOf(text);
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
    m_files.clear();
    // Read into a detached tree first; only a file read to its end is used.
    auto loaded = std::make_unique<RecGroup>(RecGroup::Bare);
    if (!parse(bytes, loaded.get())) {
        loaded = std::make_unique<RecGroup>(RecGroup::Bare);
        if (!readFully(bytes, loaded.get()))
            return false;
    }
    for (std::unique_ptr<GeneralRecItem>& item : loaded->takeSubItems())
        m_attach(std::move(item), root);
    return true;
}

bool RecordingsDBReader::parse(QByteArray bytes, RecGroup* into)
{
    class Handler : public RecordingsDBParser::Handler
    {
    public:
        explicit Handler(RecordingsDBReader& reader) : m_reader(reader) {}
        void startElement(QByteArrayView name,
                          const RecordingsDBParser::Attributes& attributes) override
        {
            const Element element = name == "Item"    ? Element::Item
                                    : name == "Group" ? Element::Group
                                    : name == "Mark"  ? Element::Mark
                                                      : Element::Other;
            m_reader.startElement(element, ParsedAttributes(attributes));
        }
        void endElement() override { m_reader.endElement(); }

    private:
        RecordingsDBReader& m_reader;
    } handler(*this);
    m_root = into;
    m_open.clear();
    m_skipped = 0;
    return RecordingsDBParser::parse(bytes, handler);
}

bool RecordingsDBReader::readFully(const QByteArray& bytes, RecGroup* into)
{
    m_root = into;
    m_open.clear();
    m_skipped = 0;
    QXmlStreamReader xml(bytes);
    bool hasRoot = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            hasRoot = true;
            const QStringView name = xml.name();
            const Element element = name == u"Item"    ? Element::Item
                                    : name == u"Group" ? Element::Group
                                    : name == u"Mark"  ? Element::Mark
                                                       : Element::Other;
            startElement(element, ReadAttributes(xml.attributes()));
        } else if (token == QXmlStreamReader::EndElement) {
            endElement();
        }
    }
    return hasRoot && !xml.hasError();
}

template <typename Attributes>
void RecordingsDBReader::startElement(Element element, const Attributes& attrs)
{
    if (m_skipped > 0) {
        ++m_skipped;
        return;
    }
    if (m_open.empty()) {
        // The root element: its name is not looked at.
        m_open.push_back({m_root, nullptr, 0, m_outputFolder});
        return;
    }
    // Only categories and recordings stay open; anything else is skipped
    // with its subtree, which is counted rather than kept.
    m_skipped = 1;
    const Open& parent = m_open.back();
    if (parent.item) {
        if (element == Element::Mark && attrs.has("Offset") && attrs.has("ID") &&
            attrs.has("Description"))
            parent.item->addMarkAtTime(float(attrs.real("Offset")), attrs.text("Description"),
                                       attrs.integer("ID"));
        return;
    }
    if (element == Element::Item) {
        const QString title = attrs.text("Title");
        const bool complete = attrs.has("Title") && attrs.has("Description") &&
                              attrs.has("CreateDate") && attrs.has("ID") && attrs.has("Duration");
        if (!complete || !TitleRules::isSafeTitle(title))
            return;
        auto item = std::make_unique<RecItem>();
        item->setTitle(title);
        item->setID(attrs.integer("ID"));
        item->setDescr(attrs.text("Description"));
        item->setDate(attrs.text("CreateDate"));
        item->setDuration(attrs.real("Duration"));
        if (attrs.has("Fingerprint"))
            item->setFingerprint(attrs.text("Fingerprint"));
        if (m_lookAtFiles)
            item->setFileMissing(!m_files.isFile(parent.folder, title + ".m4a"));
        Open open{nullptr, attachPlain(std::move(item), parent.group), 0, {}};
        m_open.push_back(std::move(open));
        m_skipped = 0;
    } else if (element == Element::Group) {
        const QString title = attrs.text("Title");
        const bool complete = attrs.has("Title") && attrs.has("Description") && attrs.has("ID") &&
                              attrs.has("Expanded");
        if (!complete || !TitleRules::isSafeTitle(title) || parent.depth >= kMaxDepth)
            return;
        auto sub = std::make_unique<RecGroup>(RecGroup::WithExpandButton);
        sub->setTitle(title);
        sub->setDescr(attrs.text("Description"));
        sub->setID(attrs.integer("ID"));
        sub->setExpanded(attrs.flag("Expanded"));
        Open open{attachPlain(std::move(sub), parent.group), nullptr, parent.depth + 1,
                  m_lookAtFiles ? parent.folder + "/" + title : QString()};
        m_open.push_back(std::move(open));
        m_skipped = 0;
    }
}
