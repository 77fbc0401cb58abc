// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringDecoder>
#include <QtGlobal>

// UTF-8 written straight into a buffer, for the library's own writers (the
// database file, the search index), which convert a character at a time; and
// read back as the library's file holds it.
namespace Utf8 {

// The code point at i of the UTF-16 text, a surrogate pair taken whole (i
// then moves past its first half); a lone surrogate reads as U+FFFD, as
// QString::toUtf8() writes it.
inline char32_t codePointAt(const char16_t* text, qsizetype size, qsizetype& i)
{
    char32_t code = text[i];
    if (!QChar::isSurrogate(code))
        return code;
    if (QChar::isHighSurrogate(code) && i + 1 < size && QChar::isLowSurrogate(text[i + 1]))
        return QChar::surrogateToUcs4(char16_t(code), text[++i]);
    return QChar::ReplacementCharacter;
}

// Writes a code point of U+0080 or above (two to four bytes); answers the end.
inline char* putMultiByte(char* out, char32_t code)
{
    if (code < 0x800) {
        *out++ = char(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
        *out++ = char(0xE0 | (code >> 12));
        *out++ = char(0x80 | ((code >> 6) & 0x3F));
    } else {
        *out++ = char(0xF0 | (code >> 18));
        *out++ = char(0x80 | ((code >> 12) & 0x3F));
        *out++ = char(0x80 | ((code >> 6) & 0x3F));
    }
    *out++ = char(0x80 | (code & 0x3F));
    return out;
}

// UTF-8 to text, keeping a byte order mark at the start, which is text here
// and which QString::fromUtf8() would drop.
inline QString toText(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

} // namespace Utf8
