// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/XMLCreator.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamAttributes>
#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// The bytes Qt's XML stream writer writes with two spaces of indentation,
// which files of older versions hold: a line per element, attributes
// escaped with their line breaks and tabs as character references.
class XmlOut
{
public:
    XmlOut() { m_bytes.reserve(1 << 16); }

    void start(const char* name)
    {
        closeStartTag();
        m_bytes += '\n';
        indent();
        m_bytes += '<';
        m_bytes += name;
        m_open = true;
        ++m_depth;
    }
    void end(const char* name)
    {
        --m_depth;
        if (m_open) {
            m_bytes += "/>";
            m_open = false;
            return;
        }
        m_bytes += '\n';
        indent();
        m_bytes += "</";
        m_bytes += name;
        m_bytes += '>';
    }
    void attribute(const char* name, QStringView value)
    {
        begin(name);
        escaped(value);
        m_bytes += '"';
    }
    template <typename Number> void number(const char* name, Number value)
    {
        char buf[64];
        const auto result = std::to_chars(buf, buf + sizeof buf, value);
        begin(name);
        m_bytes.append(buf, result.ptr - buf);
        m_bytes += '"';
    }
    QByteArray finish()
    {
        m_bytes += '\n';
        return std::move(m_bytes);
    }

private:
    void indent()
    {
        static constexpr char kSpaces[] = "                                ";
        for (int left = 2 * m_depth; left > 0; left -= int(sizeof kSpaces - 1))
            m_bytes.append(kSpaces, std::min(left, int(sizeof kSpaces - 1)));
    }
    void closeStartTag()
    {
        if (m_open)
            m_bytes += '>';
        m_open = false;
    }
    void begin(const char* name)
    {
        m_bytes += ' ';
        m_bytes += name;
        m_bytes += "=\"";
    }

    // XML 1.0 cannot hold most control characters; dropping them keeps the
    // file readable (a single pasted control character would otherwise make
    // the whole library unreadable at the next start). A lone surrogate is
    // written as the replacement character, as UTF-8 cannot hold it.
    void escaped(QStringView text)
    {
        const qsizetype at = m_bytes.size();
        m_bytes.resize(at + 6 * text.size());
        char* out = m_bytes.data() + at;
        const auto put = [&out](const char* s, int n) {
            std::memcpy(out, s, size_t(n));
            out += n;
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t c = text[i].unicode();
            if (c < 0x80) {
                switch (c) {
                case '<':
                    put("&lt;", 4);
                    continue;
                case '>':
                    put("&gt;", 4);
                    continue;
                case '&':
                    put("&amp;", 5);
                    continue;
                case '"':
                    put("&quot;", 6);
                    continue;
                case '\n':
                    put("&#10;", 5);
                    continue;
                case '\r':
                    put("&#13;", 5);
                    continue;
                case '\t':
                    put("&#9;", 4);
                    continue;
                default:
                    if (c >= 0x20)
                        *out++ = char(c);
                    continue;
                }
            }
            if (c == 0xFFFE || c == 0xFFFF)
                continue;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
            else if (QChar::isSurrogate(c))
                c = 0xFFFD;
            if (c < 0x800) {
                *out++ = char(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                *out++ = char(0xE0 | (c >> 12));
                *out++ = char(0x80 | ((c >> 6) & 0x3F));
            } else {
                *out++ = char(0xF0 | (c >> 18));
                *out++ = char(0x80 | ((c >> 12) & 0x3F));
                *out++ = char(0x80 | ((c >> 6) & 0x3F));
            }
            *out++ = char(0x80 | (c & 0x3F));
        }
        m_bytes.resize(out - m_bytes.constData());
    }

    QByteArray m_bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
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
    if (!item->fingerprint().isEmpty())
        xml.attribute("Fingerprint", item->fingerprint());
    for (const auto& mark : item->marks()) {
        xml.start("Mark");
        xml.number("Offset", mark->offset());
        xml.number("ID", mark->markID());
        xml.attribute("Description", mark->descr());
        xml.end("Mark");
    }
    xml.end("Item");
}

} // namespace

QByteArray XMLCreator::document(const RecGroup* root)
{
    XmlOut xml;
    xml.start("Recordings");
    if (root)
        saveGroup(root, xml);
    xml.end("Recordings");
    return xml.finish();
}

QByteArray XMLCreator::rowDocument(const GeneralRecItem* row,
                                   const QXmlStreamAttributes& rootAttributes)
{
    XmlOut xml;
    xml.start("Recordings");
    for (const QXmlStreamAttribute& attribute : rootAttributes)
        xml.attribute(attribute.name().toLatin1().constData(), attribute.value());
    saveRow(row, xml);
    xml.end("Recordings");
    return xml.finish();
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
