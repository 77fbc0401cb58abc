// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/XMLCreator.h"

#include "library/KeptDatabase.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/Utf8.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamAttributes>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace {

// The bytes Qt's XML stream writer writes with two spaces of indentation,
// which files of older versions hold: a line per element, attributes
// escaped with their line breaks and tabs as character references. Written
// straight into a buffer that grows only when the guess of its size was short.
class XmlOut
{
public:
    explicit XmlOut(qsizetype capacity)
    {
        m_bytes.resize(std::max<qsizetype>(capacity, 256));
        m_out = m_bytes.data();
        m_end = m_out + m_bytes.size();
        put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    }

    void start(const char* name)
    {
        room(2 * m_depth + 32);
        if (m_open)
            *m_out++ = '>';
        *m_out++ = '\n';
        indent();
        *m_out++ = '<';
        put(name);
        m_open = true;
        ++m_depth;
    }
    void end(const char* name)
    {
        --m_depth;
        room(2 * m_depth + 32);
        if (m_open) {
            put("/>");
            m_open = false;
            return;
        }
        *m_out++ = '\n';
        indent();
        put("</");
        put(name);
        *m_out++ = '>';
    }
    void attribute(const char* name, QStringView value) { escapedAttribute(name, value); }
    void attribute(const char* name, QByteArrayView utf8) { escapedAttribute(name, utf8); }
    // Text that needs no escaping: digits, letters, ':'.
    void ascii(const char* name, const char* value, qsizetype length)
    {
        room(qsizetype(std::strlen(name)) + 4 + length);
        begin(name);
        std::memcpy(m_out, value, size_t(length));
        m_out += length;
        *m_out++ = '"';
    }
    template <typename Number> void number(const char* name, Number value)
    {
        room(qsizetype(std::strlen(name)) + 4 + 64);
        begin(name);
        m_out = std::to_chars(m_out, m_end, value).ptr;
        *m_out++ = '"';
    }
    QByteArray finish()
    {
        room(1);
        *m_out++ = '\n';
        m_bytes.resize(m_out - m_bytes.constData());
        return std::move(m_bytes);
    }

private:
    void room(qsizetype bytes)
    {
        if (m_end - m_out >= bytes)
            return;
        const qsizetype used = m_out - m_bytes.constData();
        m_bytes.resize(std::max(2 * m_bytes.size(), used + bytes));
        m_out = m_bytes.data() + used;
        m_end = m_bytes.data() + m_bytes.size();
    }
    template <typename Text> void escapedAttribute(const char* name, Text value)
    {
        // No character takes more than six bytes: "&quot;".
        room(qsizetype(std::strlen(name)) + 4 + 6 * value.size());
        begin(name);
        escaped(value);
        *m_out++ = '"';
    }
    // Only after room() was made for it.
    void put(const char* text)
    {
        const size_t length = std::strlen(text);
        std::memcpy(m_out, text, length);
        m_out += length;
    }
    void indent()
    {
        std::memset(m_out, ' ', size_t(2 * m_depth));
        m_out += 2 * m_depth;
    }
    void begin(const char* name)
    {
        *m_out++ = ' ';
        put(name);
        put("=\"");
    }

    // XML 1.0 cannot hold most control characters; dropping them keeps the
    // file readable (a single pasted control character would otherwise make
    // the whole library unreadable at the next start). A lone surrogate is
    // written as the replacement character, as UTF-8 cannot hold it.
    void escaped(QStringView text)
    {
        char* out = m_out;
        const char16_t* chars = text.utf16();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char32_t c = text[i].unicode();
            if (c < 0x80)
                out = putAscii(out, char(c));
            else if (c != 0xFFFE && c != 0xFFFF)
                out = Utf8::putMultiByte(out, Utf8::codePointAt(chars, text.size(), i));
        }
        m_out = out;
    }
    // The same for text kept in UTF-8, which is whole: no lone surrogates.
    void escaped(QByteArrayView text)
    {
        char* out = m_out;
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p < end) {
            if (uchar(*p) < 0x80) {
                out = putAscii(out, *p++);
            } else if (end - p >= 3 && uchar(p[0]) == 0xEF && uchar(p[1]) == 0xBF &&
                       (uchar(p[2]) == 0xBE || uchar(p[2]) == 0xBF)) {
                p += 3;
            } else {
                *out++ = *p++;
            }
        }
        m_out = out;
    }
    // Escaped where it must be; other control characters are dropped.
    static char* putAscii(char* out, char c)
    {
        if (kPlain[size_t(c)]) {
            *out++ = c;
            return out;
        }
        static constexpr std::pair<char, std::string_view> kEscapes[] = {
            {'<', "&lt;"},   {'>', "&gt;"},   {'&', "&amp;"}, {'"', "&quot;"},
            {'\n', "&#10;"}, {'\r', "&#13;"}, {'\t', "&#9;"}};
        for (const auto& [plain, escape] : kEscapes)
            if (c == plain) {
                std::memcpy(out, escape.data(), escape.size());
                return out + escape.size();
            }
        return out;
    }

    // The ASCII characters written as they are.
    static constexpr auto kPlain = [] {
        std::array<bool, 128> plain{};
        for (char32_t c = 0x20; c < 0x80; ++c)
            plain[c] = c != '<' && c != '>' && c != '&' && c != '"';
        return plain;
    }();

    QByteArray m_bytes;
    char* m_out = nullptr;
    char* m_end = nullptr;
    int m_depth = 0;
    bool m_open = false;
};

void saveRow(const GeneralRecItem* row, XmlOut& xml);

void saveGroup(const RecGroup* group, XmlOut& xml)
{
    for (const GeneralRecItem* sub : group->subItems())
        saveRow(sub, xml);
}

void saveRow(const GeneralRecItem* row, XmlOut& xml)
{
    if (const RecGroup* group = row->asGroup()) {
        xml.start("Group");
        xml.number("ID", group->ID());
        xml.attribute("Title", group->title());
        xml.attribute("Expanded", group->isExpanded() ? u"true" : u"false");
        xml.attribute("Description", group->descr());
        saveGroup(group, xml);
        xml.end("Group");
        return;
    }
    const RecItem* item = row->asItem();
    xml.start("Item");
    xml.number("ID", item->ID());
    xml.attribute("Title", item->title());
    xml.attribute("Description", item->descr());
    xml.attribute("CreateDate", item->date());
    xml.number("Duration", item->duration());
    // Readers that do not know it pass over it.
    if (const CompactFingerprint& print = item->packedFingerprint(); !print.isEmpty()) {
        std::array<char, CompactFingerprint::kMaxAscii> ascii{};
        if (const qsizetype length = print.toAscii(ascii.data()); length >= 0)
            xml.ascii("Fingerprint", ascii.data(), length);
        else
            xml.attribute("Fingerprint", print.text());
    }
    for (const auto& mark : item->marks()) {
        xml.start("Mark");
        xml.number("Offset", mark.offset());
        xml.number("ID", mark.markID());
        xml.attribute("Description", QByteArrayView(mark.descrUtf8()));
        xml.end("Mark");
    }
    xml.end("Item");
}

} // namespace

QByteArray XMLCreator::document(const RecGroup* root, qsizetype expected)
{
    XmlOut xml(expected > 0 ? expected + expected / 8 : 1 << 16);
    xml.start("Recordings");
    if (root)
        saveGroup(root, xml);
    xml.end("Recordings");
    return xml.finish();
}

QByteArray XMLCreator::rowDocument(const GeneralRecItem* row,
                                   const QXmlStreamAttributes& rootAttributes)
{
    XmlOut xml(4096);
    xml.start("Recordings");
    for (const QXmlStreamAttribute& attribute : rootAttributes)
        xml.attribute(attribute.name().toLatin1().constData(), attribute.value());
    saveRow(row, xml);
    xml.end("Recordings");
    // Kept for an undo: no room to spare.
    QByteArray bytes = xml.finish();
    bytes.squeeze();
    return bytes;
}

bool XMLCreator::createXML(const RecGroup* root, const QString& path, KeptDatabase* kept)
{
    if (!root || path.isEmpty())
        return false;
    const QByteArray bytes = document(root, kept ? kept->size() : 0);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    // Unbuffered, so that a short write (disk full, size limit) is seen here:
    // a buffered QSaveFile reports success for a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    // The file written, open before it takes the name: another program's
    // save can replace the name at any time, never what is open here.
    const int written = kept ? ::fcntl(file.handle(), F_DUPFD_CLOEXEC, 0) : -1;
    if (!file.commit()) {
        if (written >= 0)
            ::close(written);
        return false;
    }
    if (kept)
        kept->keep(written, bytes);
    return true;
}
