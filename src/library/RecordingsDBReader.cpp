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
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

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

// A sign, digits, a point and an exponent, as leadingDoubleOf() found them.
// Both conversions round correctly, so a short number whose value is a
// normal double reads the same through either; the rest (zero, overflow,
// underflow, subnormals, very long digit runs) keeps QByteArrayView's rules.
double toFiniteDouble(QByteArrayView number)
{
    const char* first = number.data();
    if (number.size() <= 40) {
        if (!number.isEmpty() && *first == '+')
            ++first;
        double value = 0;
        const auto [end, error] = std::from_chars(first, number.data() + number.size(), value);
        if (error == std::errc() && end == number.data() + number.size() && std::isnormal(value))
            return value;
    }
    const double value = number.toDouble();
    return std::isfinite(value) ? value : 0;
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
    if constexpr (std::is_same_v<Text, QLatin1StringView>) {
        return toFiniteDouble(QByteArrayView(text.data() + start, i - start));
    } else {
        QVarLengthArray<char, 64> number;
        for (qsizetype k = start; k < i; ++k)
            number.append(char(at(text, k)));
        return toFiniteDouble(QByteArrayView(number.data(), number.size()));
    }
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

// The attributes the reader looks at.
enum class Key
{
    Title,
    Description,
    CreateDate,
    ID,
    Duration,
    Fingerprint,
    Expanded,
    Offset,
    Count
};

constexpr QLatin1StringView kKeyNames[] = {
    QLatin1StringView("Title"),      QLatin1StringView("Description"),
    QLatin1StringView("CreateDate"), QLatin1StringView("ID"),
    QLatin1StringView("Duration"),   QLatin1StringView("Fingerprint"),
    QLatin1StringView("Expanded"),   QLatin1StringView("Offset")};
static_assert(std::size(kKeyNames) == size_t(Key::Count));

// The attributes of an element as the full XML reader gives them.
class ReadAttributes
{
public:
    explicit ReadAttributes(const QXmlStreamAttributes& attributes) : m_attributes(attributes) {}
    bool has(Key key) const { return m_attributes.hasAttribute(kKeyNames[int(key)]); }
    QString text(Key key) const { return value(key).toString(); }
    QByteArray utf8(Key key) const { return value(key).toUtf8(); }
    CompactFingerprint fingerprint(Key key) const { return CompactFingerprint(text(key)); }
    double real(Key key) const { return leadingDoubleOf(value(key)); }
    int integer(Key key) const { return leadingIntOf(value(key)); }
    bool flag(Key key) const { return leadingBoolOf(value(key)); }

private:
    QStringView value(Key key) const { return m_attributes.value(kKeyNames[int(key)]); }
    const QXmlStreamAttributes& m_attributes;
};

// The attributes of an element as the strict parse found them, sorted by
// key in one pass. Numbers in plain ASCII are read from the bytes; anything
// else as the decoded text.
class ParsedAttributes
{
public:
    explicit ParsedAttributes(const RecordingsDBParser::Attributes& attributes)
    {
        for (int i = 0; i < attributes.count(); ++i) {
            const QByteArrayView name = attributes.nameAt(i);
            for (int key = 0; key < int(Key::Count); ++key) {
                // The lengths tell most names apart without a call.
                const QLatin1StringView known = kKeyNames[key];
                if (name.size() == known.size() &&
                    std::memcmp(name.data(), known.data(), size_t(known.size())) == 0) {
                    m_values[size_t(key)] = attributes.valueAt(i);
                    break;
                }
            }
        }
    }
    // The parse gives every attribute it took a non-null value.
    bool has(Key key) const { return !raw(key).isNull(); }
    QString text(Key key) const
    {
        return has(key) ? RecordingsDBParser::decode(raw(key)) : QString();
    }
    QByteArray utf8(Key key) const
    {
        return has(key) ? RecordingsDBParser::decodeUtf8(raw(key)) : QByteArray();
    }
    // Taken from the bytes when they are plain ASCII, as the usual form is.
    CompactFingerprint fingerprint(Key key) const
    {
        const QByteArrayView value = raw(key);
        return isPlain(value) ? CompactFingerprint(QLatin1StringView(value))
                              : CompactFingerprint(text(key));
    }
    double real(Key key) const
    {
        return number(key, leadingDoubleOf<QLatin1StringView>, leadingDoubleOf<QStringView>);
    }
    int integer(Key key) const
    {
        return number(key, leadingIntOf<QLatin1StringView>, leadingIntOf<QStringView>);
    }
    bool flag(Key key) const
    {
        return number(key, leadingBoolOf<QLatin1StringView>, leadingBoolOf<QStringView>);
    }

private:
    QByteArrayView raw(Key key) const { return m_values[size_t(key)]; }
    template <typename Result>
    Result number(Key key, Result (*ascii)(QLatin1StringView), Result (*decoded)(QStringView)) const
    {
        const QByteArrayView value = raw(key);
        if (isPlain(value))
            return ascii(QLatin1StringView(value));
        return decoded(RecordingsDBParser::decode(value));
    }
    // ASCII with no reference: the text is the bytes.
    static bool isPlain(QByteArrayView value)
    {
        return std::all_of(value.begin(), value.end(),
                           [](char c) { return uchar(c) < 0x80 && c != '&'; });
    }
    std::array<QByteArrayView, size_t(Key::Count)> m_values{};
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
    return loadOwnedBytes(file.readAll(), root,
                          [&file] { return file.seek(0) ? file.readAll() : QByteArray(); });
}

bool RecordingsDBReader::loadBytes(const QByteArray& bytes, RecGroup* root)
{
    // The caller keeps its bytes: the strict parse overwrites a copy.
    return loadOwnedBytes(QByteArray(bytes.constData(), bytes.size()), root,
                          [&bytes] { return bytes; });
}

bool RecordingsDBReader::loadOwnedBytes(QByteArray&& bytes, RecGroup* root,
                                        const std::function<QByteArray()>& again)
{
    if (!root)
        return false;
    m_files.clear();
    // Read into a detached tree first; only a file read to its end is used.
    auto loaded = std::make_unique<RecGroup>(RecGroup::Bare);
    if (!parse(bytes, loaded.get())) {
        bytes = QByteArray();
        loaded = std::make_unique<RecGroup>(RecGroup::Bare);
        if (!readFully(again(), loaded.get()))
            return false;
    }
    for (std::unique_ptr<GeneralRecItem>& item : loaded->takeSubItems())
        m_attach(std::move(item), root);
    return true;
}

bool RecordingsDBReader::parse(QByteArray& bytes, RecGroup* into)
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
    m_marks.clear();
    m_skipped = 0;
    return RecordingsDBParser::parse(bytes, handler);
}

bool RecordingsDBReader::readFully(const QByteArray& bytes, RecGroup* into)
{
    m_root = into;
    m_open.clear();
    m_marks.clear();
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
        if (element == Element::Mark && attrs.has(Key::Offset) && attrs.has(Key::ID) &&
            attrs.has(Key::Description)) {
            TimeMark& mark = m_marks.emplace_back();
            mark.setOffset(float(attrs.real(Key::Offset)));
            mark.setMarkID(attrs.integer(Key::ID));
            mark.setDescrUtf8(attrs.utf8(Key::Description));
        }
        return;
    }
    if (element == Element::Item) {
        const QString title = attrs.text(Key::Title);
        const bool complete = attrs.has(Key::Title) && attrs.has(Key::Description) &&
                              attrs.has(Key::CreateDate) && attrs.has(Key::ID) &&
                              attrs.has(Key::Duration);
        if (!complete || !TitleRules::isSafeTitle(title))
            return;
        auto item = std::make_unique<RecItem>();
        item->setTitle(title);
        item->setID(attrs.integer(Key::ID));
        item->setDescr(attrs.text(Key::Description));
        item->setDate(attrs.text(Key::CreateDate));
        item->setDuration(attrs.real(Key::Duration));
        if (attrs.has(Key::Fingerprint))
            item->setFingerprint(attrs.fingerprint(Key::Fingerprint));
        if (m_lookAtFiles)
            item->setFileMissing(!m_files.isFile(parent.folder, title + ".m4a"));
        Open open{nullptr, attachPlain(std::move(item), parent.group), 0, {}};
        m_open.push_back(std::move(open));
        m_skipped = 0;
    } else if (element == Element::Group) {
        const QString title = attrs.text(Key::Title);
        const bool complete = attrs.has(Key::Title) && attrs.has(Key::Description) &&
                              attrs.has(Key::ID) && attrs.has(Key::Expanded);
        if (!complete || !TitleRules::isSafeTitle(title) || parent.depth >= kMaxDepth)
            return;
        auto sub = std::make_unique<RecGroup>(RecGroup::WithExpandButton);
        sub->setTitle(title);
        sub->setDescr(attrs.text(Key::Description));
        sub->setID(attrs.integer(Key::ID));
        sub->setExpanded(attrs.flag(Key::Expanded));
        Open open{attachPlain(std::move(sub), parent.group), nullptr, parent.depth + 1,
                  m_lookAtFiles ? parent.folder + "/" + title : QString()};
        m_open.push_back(std::move(open));
        m_skipped = 0;
    }
}

void RecordingsDBReader::endElement()
{
    if (m_skipped > 0) {
        --m_skipped;
        return;
    }
    if (m_open.empty())
        return;
    if (RecItem* item = m_open.back().item) {
        item->reserveMarks(m_marks.size());
        for (TimeMark& mark : m_marks)
            item->addMark(std::move(mark));
        m_marks.clear();
    }
    m_open.pop_back();
}
