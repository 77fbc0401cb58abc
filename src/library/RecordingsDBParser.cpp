// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecordingsDBParser.h"

#include "library/Utf8.h"

#include <algorithm>
#include <cstring>
#include <pugixml.hpp>

namespace {

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// The character a predefined entity or a character reference stands for;
// `ref` runs from '&' to ';'. Zero for anything else.
char32_t referenced(QByteArrayView ref)
{
    static constexpr std::pair<const char*, char32_t> kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& [name, c] : kEntities)
        if (ref == QByteArrayView(name))
            return c;
    if (ref.size() < 4 || ref[1] != '#')
        return 0;
    const bool hex = ref[2] == 'x';
    const QByteArrayView digits = ref.sliced(hex ? 3 : 2, ref.size() - (hex ? 4 : 3));
    if (digits.isEmpty() || digits.size() > 8)
        return 0;
    char32_t value = 0;
    for (const char d : digits) {
        int digit = -1;
        if (d >= '0' && d <= '9')
            digit = d - '0';
        else if (hex && d >= 'a' && d <= 'f')
            digit = d - 'a' + 10;
        else if (hex && d >= 'A' && d <= 'F')
            digit = d - 'A' + 10;
        if (digit < 0)
            return 0;
        value = value * (hex ? 16 : 10) + char32_t(digit);
    }
    return isXmlChar(value) ? value : 0;
}

void appendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Every byte of the document is strict UTF-8 and every character one XML
// can hold: pugixml looks at neither.
bool isXmlText(QByteArrayView text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        // Eight printable ASCII bytes at a time: no high bit, none below 0x20.
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            constexpr quint64 kOnes = 0x0101010101010101ull;
            if (((word | ((word - kOnes * 0x20) & ~word)) & (kOnes * 0x80)) == 0) {
                p += 8;
                continue;
            }
        }
        const auto byte = uchar(*p);
        if (byte < 0x80) {
            if (byte < 0x20 && !isSpace(char(byte)))
                return false;
            ++p;
            continue;
        }
        int length = 0;
        char32_t c = 0;
        char32_t least = 0;
        if ((byte & 0xE0) == 0xC0) {
            length = 2, c = byte & 0x1F, least = 0x80;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3, c = byte & 0x0F, least = 0x800;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4, c = byte & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            const auto next = uchar(p[i]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || !isXmlChar(c))
            return false;
        p += length;
    }
    return true;
}

// Every '&' starts a reference a reader can replace.
bool referencesAreKnown(QByteArrayView text)
{
    for (qsizetype amp = text.indexOf('&'); amp >= 0; amp = text.indexOf('&', amp + 1)) {
        const qsizetype semicolon = text.indexOf(';', amp);
        if (semicolon < 0 || semicolon - amp > 11 ||
            !referenced(text.sliced(amp, semicolon + 1 - amp)))
            return false;
    }
    return true;
}

bool isName(QByteArrayView name)
{
    // Names of the "xml" family and prefixed names mean more than a name.
    const auto lower = [&name](qsizetype i) { return char(name[i] | 0x20); };
    if (name.isEmpty() || !isNameStart(name[0]) ||
        (name.size() >= 3 && lower(0) == 'x' && lower(1) == 'm' && lower(2) == 'l'))
        return false;
    return std::all_of(name.begin(), name.end(), isNameChar);
}

// An attribute value as pugixml leaves it, ending in a null. Literal tabs
// and line breaks in it are normalised by a reader; the writer never leaves
// them, so such files take the full reader. Null when it is not plain.
QByteArrayView plainValue(const char* value)
{
    const char* end = value;
    bool references = false;
    for (; *end; ++end) {
        const char c = *end;
        if (c == '<' || c == '\t' || c == '\n' || c == '\r')
            return {};
        references |= c == '&';
    }
    const QByteArrayView text(value, end - value);
    return references && !referencesAreKnown(text) ? QByteArrayView() : text;
}

// <?xml version="1.0" encoding="UTF-8"?>, the encoding being optional; the
// length of the declaration, zero when there is none, -1 when it is one the
// parser does not take.
qsizetype declarationLength(QByteArrayView doc)
{
    if (!doc.startsWith("<?xml"))
        return 0;
    qsizetype i = 5;
    const auto spaces = [&] {
        const qsizetype from = i;
        while (i < doc.size() && isSpace(doc[i]))
            ++i;
        return i > from;
    };
    const auto equals = [&] {
        spaces();
        const bool ok = i < doc.size() && doc[i] == '=';
        i += ok;
        spaces();
        return ok;
    };
    const auto quoted = [&](QByteArrayView value) {
        if (i >= doc.size() || (doc[i] != '"' && doc[i] != '\''))
            return false;
        const char quote = doc[i++];
        if (doc.size() - i <= value.size() ||
            doc.sliced(i, value.size()).compare(value, Qt::CaseInsensitive) != 0)
            return false;
        i += value.size();
        return doc[i++] == quote;
    };
    if (!spaces() || !doc.sliced(i).startsWith("version") || !(i += 7, equals()) ||
        !(doc.sliced(i).startsWith("\"1.0\"") || doc.sliced(i).startsWith("'1.0'")))
        return -1;
    i += 5;
    if (spaces() && doc.sliced(i).startsWith("encoding")) {
        i += 8;
        if (!equals() || !quoted("UTF-8"))
            return -1;
        spaces();
    }
    return doc.sliced(i).startsWith("?>") ? i + 2 : -1;
}

bool isGoodComment(QByteArrayView text)
{
    return !text.contains("--") && !text.endsWith('-');
}

class Walk
{
public:
    explicit Walk(RecordingsDBParser::Handler& handler) : m_handler(handler) {}

    // The one root element, with nothing but comments beside it.
    bool document(const pugi::xml_document& doc)
    {
        pugi::xml_node root;
        for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
            if (node.type() == pugi::node_element && !root)
                root = node;
            else if (node.type() != pugi::node_comment || !isGoodComment(node.value()))
                return false;
        }
        return root && element(root);
    }

private:
    // The elements in document order, without recursion: the nesting is
    // the file's to choose.
    bool element(pugi::xml_node top)
    {
        pugi::xml_node node = top;
        if (!start(node))
            return false;
        pugi::xml_node child = node.first_child();
        for (;;) {
            if (child) {
                switch (child.type()) {
                case pugi::node_element:
                    if (!start(child))
                        return false;
                    node = child;
                    child = node.first_child();
                    continue;
                case pugi::node_comment:
                    if (!isGoodComment(child.value()))
                        return false;
                    break;
                case pugi::node_pcdata:
                    if (std::strstr(child.value(), "]]>") || !referencesAreKnown(child.value()))
                        return false;
                    break;
                default:
                    return false;
                }
                child = child.next_sibling();
                continue;
            }
            m_handler.endElement();
            if (node == top)
                return true;
            child = node.next_sibling();
            node = node.parent();
        }
    }

    bool start(pugi::xml_node node)
    {
        const QByteArrayView name(node.name());
        if (!isName(name))
            return false;
        m_attributes.clear();
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const QByteArrayView attribute(a.name());
            const QByteArrayView value = plainValue(a.value());
            if (!isName(attribute) || value.isNull() || !m_attributes.add(attribute, value))
                return false;
        }
        m_handler.startElement(name, m_attributes);
        return true;
    }

    RecordingsDBParser::Handler& m_handler;
    RecordingsDBParser::Attributes m_attributes;
};

} // namespace

bool RecordingsDBParser::Attributes::add(QByteArrayView name, QByteArrayView value)
{
    if (m_count == kMaxAttributes || has(name))
        return false;
    m_list[size_t(m_count++)] = {name, value};
    return true;
}

std::optional<QByteArrayView> RecordingsDBParser::Attributes::raw(QByteArrayView name) const
{
    for (int i = 0; i < m_count; ++i)
        if (m_list[size_t(i)].name == name)
            return m_list[size_t(i)].value;
    return std::nullopt;
}

QString RecordingsDBParser::Attributes::text(QByteArrayView name) const
{
    const std::optional<QByteArrayView> value = raw(name);
    return value ? decode(*value) : QString();
}

bool RecordingsDBParser::parse(QByteArray& document, Handler& handler)
{
    const qsizetype declaration = declarationLength(document);
    // A byte order mark is left to the full reader, as are other encodings.
    if (declaration < 0 || document.startsWith("\xEF\xBB\xBF") || !isXmlText(document))
        return false;
    // No entity expansion, no line-end or whitespace conversion: values stay
    // as written and are checked and decoded here. Document types, CDATA and
    // processing instructions are kept as nodes only to decline the file.
    constexpr unsigned kOptions = pugi::parse_pi | pugi::parse_comments | pugi::parse_cdata |
                                  pugi::parse_declaration | pugi::parse_doctype |
                                  pugi::parse_fragment;
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer_inplace(
        document.data() + declaration, size_t(document.size() - declaration), kOptions,
        pugi::encoding_utf8);
    return parsed && Walk(handler).document(doc);
}

QString RecordingsDBParser::decode(QByteArrayView value)
{
    return Utf8::toText(value.contains('&') ? QByteArrayView(decodeUtf8(value)) : value);
}

QByteArray RecordingsDBParser::decodeUtf8(QByteArrayView value)
{
    if (!value.contains('&'))
        return value.toByteArray();
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size();) {
        if (value[i] != '&') {
            out += value[i++];
            continue;
        }
        const qsizetype end = value.indexOf(';', i);
        appendUtf8(out, referenced(value.sliced(i, end + 1 - i)));
        i = end + 1;
    }
    return out;
}
