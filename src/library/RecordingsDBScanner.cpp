// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecordingsDBScanner.h"

#include <QStringDecoder>
#include <QVarLengthArray>
#include <cstring>

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

// UTF-8 to text, keeping a byte order mark at the start, which is text here
// and which QString::fromUtf8() would drop.
QString fromUtf8(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

class Scan
{
public:
    Scan(QByteArrayView doc, RecordingsDBScanner::Handler& handler)
        : m_p(doc.data()), m_end(doc.data() + doc.size()), m_handler(handler)
    {
    }

    bool document()
    {
        if (startsWith("<?xml") && !declaration())
            return false;
        if (!misc() || !startsWith("<") || !startTag())
            return false;
        while (!m_open.isEmpty()) {
            if (!content())
                return false;
            if (startsWith("</")) {
                if (!endTag())
                    return false;
            } else if (startsWith("<!--")) {
                if (!comment())
                    return false;
            } else if (!startTag()) {
                return false;
            }
        }
        return misc() && m_p == m_end;
    }

private:
    bool startsWith(const char* text) const
    {
        const size_t n = std::strlen(text);
        return size_t(m_end - m_p) >= n && std::memcmp(m_p, text, n) == 0;
    }

    bool skip(const char* text)
    {
        if (!startsWith(text))
            return false;
        m_p += std::strlen(text);
        return true;
    }

    bool spaces()
    {
        const char* start = m_p;
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
        return m_p > start;
    }

    // One character at m_p that XML can hold, in strict UTF-8.
    bool character()
    {
        const auto byte = uchar(*m_p);
        if (byte < 0x80) {
            ++m_p;
            return byte >= 0x20 || isSpace(char(byte));
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
        if (m_end - m_p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            const auto next = uchar(m_p[i]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        m_p += length;
        return c >= least && isXmlChar(c);
    }

    bool reference()
    {
        const char* semicolon = m_p + 1;
        while (semicolon < m_end && semicolon - m_p < 12 && *semicolon != ';')
            ++semicolon;
        if (semicolon >= m_end || *semicolon != ';' ||
            !referenced(QByteArrayView(m_p, semicolon + 1)))
            return false;
        m_p = semicolon + 1;
        return true;
    }

    QByteArrayView name()
    {
        const char* start = m_p;
        if (m_p >= m_end || !isNameStart(*m_p))
            return {};
        while (m_p < m_end && isNameChar(*m_p))
            ++m_p;
        // Names of the "xml" family and prefixed names mean more than a name.
        const QByteArrayView result(start, m_p);
        if (result.size() >= 3 && QByteArrayView(start, 3).compare("xml", Qt::CaseInsensitive) == 0)
            return {};
        if (m_p < m_end && (*m_p == ':' || uchar(*m_p) >= 0x80))
            return {};
        return result;
    }

    // Whitespace and comments outside the root element.
    bool misc()
    {
        for (;;) {
            spaces();
            if (!startsWith("<!--"))
                return true;
            if (!comment())
                return false;
        }
    }

    bool comment()
    {
        m_p += 4;
        while (m_p < m_end) {
            if (*m_p == '-' && m_end - m_p >= 2 && m_p[1] == '-') {
                if (m_end - m_p < 3 || m_p[2] != '>')
                    return false;
                m_p += 3;
                return true;
            }
            if (!character())
                return false;
        }
        return false;
    }

    // <?xml version="1.0" encoding="UTF-8"?>, the encoding being optional.
    bool declaration()
    {
        m_p += 5;
        if (!spaces() || !skip("version") || !equals() || !(skip("\"1.0\"") || skip("'1.0'")))
            return false;
        const bool spaced = spaces();
        if (spaced && skip("encoding")) {
            if (!equals() || m_p >= m_end || (*m_p != '"' && *m_p != '\''))
                return false;
            const char quote = *m_p++;
            if (m_end - m_p < 6 ||
                QByteArrayView(m_p, 5).compare("UTF-8", Qt::CaseInsensitive) != 0 ||
                m_p[5] != quote)
                return false;
            m_p += 6;
            spaces();
        }
        return skip("?>");
    }

    bool equals()
    {
        spaces();
        if (!skip("="))
            return false;
        spaces();
        return true;
    }

    bool attributeValue(QByteArrayView& value)
    {
        if (m_p >= m_end || (*m_p != '"' && *m_p != '\''))
            return false;
        const char quote = *m_p++;
        const char* start = m_p;
        while (m_p < m_end && *m_p != quote) {
            const char c = *m_p;
            // Literal tabs and line breaks are normalised by a reader; the
            // writer never leaves them, so such files take the full reader.
            if (c == '<' || c == '\t' || c == '\n' || c == '\r')
                return false;
            if (c == '&' ? !reference() : !character())
                return false;
        }
        if (m_p >= m_end)
            return false;
        value = QByteArrayView(start, m_p++);
        return true;
    }

    bool startTag()
    {
        ++m_p;
        const QByteArrayView element = name();
        if (element.isEmpty())
            return false;
        m_attributes.clear();
        for (;;) {
            const bool spaced = spaces();
            const bool empty = skip("/>");
            if (empty || skip(">")) {
                m_handler.startElement(element, m_attributes);
                if (empty)
                    m_handler.endElement();
                else
                    m_open.append(element);
                // No library nests this deep; such a file is left to the full reader.
                return m_open.size() <= RecordingsDBScanner::kMaxNesting;
            }
            const QByteArrayView attribute = spaced ? name() : QByteArrayView();
            QByteArrayView value;
            if (attribute.isEmpty() || !equals() || !attributeValue(value) ||
                !m_attributes.add(attribute, value))
                return false;
        }
    }

    bool endTag()
    {
        m_p += 2;
        const QByteArrayView element = name();
        spaces();
        if (element != m_open.last() || !skip(">"))
            return false;
        m_open.removeLast();
        m_handler.endElement();
        return true;
    }

    // Character data up to the next markup, checked and dropped.
    bool content()
    {
        while (m_p < m_end && *m_p != '<') {
            if (*m_p == '&') {
                if (!reference())
                    return false;
            } else if (*m_p == ']' && startsWith("]]>")) {
                return false;
            } else if (!character()) {
                return false;
            }
        }
        return m_p < m_end;
    }

    const char* m_p;
    const char* m_end;
    RecordingsDBScanner::Handler& m_handler;
    RecordingsDBScanner::Attributes m_attributes;
    QVarLengthArray<QByteArrayView, 64> m_open;
};

} // namespace

bool RecordingsDBScanner::Attributes::add(QByteArrayView name, QByteArrayView value)
{
    if (m_count == kMaxAttributes || has(name))
        return false;
    m_list[size_t(m_count++)] = {name, value};
    return true;
}

std::optional<QByteArrayView> RecordingsDBScanner::Attributes::raw(QByteArrayView name) const
{
    for (int i = 0; i < m_count; ++i)
        if (m_list[size_t(i)].name == name)
            return m_list[size_t(i)].value;
    return std::nullopt;
}

QString RecordingsDBScanner::Attributes::text(QByteArrayView name) const
{
    const std::optional<QByteArrayView> value = raw(name);
    return value ? decode(*value) : QString();
}

bool RecordingsDBScanner::scan(QByteArrayView document, Handler& handler)
{
    return Scan(document, handler).document();
}

QString RecordingsDBScanner::decode(QByteArrayView value)
{
    if (!value.contains('&'))
        return fromUtf8(value);
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
    return fromUtf8(out);
}
