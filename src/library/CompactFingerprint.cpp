// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/CompactFingerprint.h"

#include "library/FileFingerprint.h"

#include <QByteArray>
#include <algorithm>
#include <charconv>

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

CompactFingerprint::CompactFingerprint(const QString& text)
{
    const QStringView view(text);
    const qsizetype colon = view.indexOf(u':');
    // Sizes without a leading zero and short enough for a qint64 print back
    // as they were read; upper-case hex digits would not.
    const QStringView size = view.first(std::max<qsizetype>(colon, 0));
    const QStringView hash = view.sliced(colon + 1);
    const bool packed =
        colon > 0 && colon <= 18 && (size[0] != u'0' || colon == 1) &&
        std::all_of(size.begin(), size.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }) &&
        hash.size() == 2 * kHashBytes &&
        std::all_of(hash.begin(), hash.end(), [](QChar c) { return hexDigit(c) >= 0; });
    if (!packed) {
        m_text = text;
        return;
    }
    m_size = size.toLongLong();
    for (int i = 0; i < kHashBytes; ++i)
        m_hash[size_t(i)] = uchar(hexDigit(hash[2 * i]) << 4 | hexDigit(hash[2 * i + 1]));
}

qsizetype CompactFingerprint::toAscii(char* out) const
{
    if (m_size < 0)
        return -1;
    char* end = std::to_chars(out, out + 20, m_size).ptr;
    *end++ = ':';
    static constexpr char kHex[] = "0123456789abcdef";
    for (const uchar byte : m_hash) {
        *end++ = kHex[byte >> 4];
        *end++ = kHex[byte & 0xf];
    }
    return end - out;
}

QString CompactFingerprint::text() const
{
    std::array<char, kMaxAscii> ascii{};
    const qsizetype length = toAscii(ascii.data());
    return length < 0 ? m_text : QString::fromLatin1(ascii.data(), length);
}

qint64 CompactFingerprint::fileSize() const
{
    return m_size >= 0 ? m_size : FileFingerprint::sizeOf(m_text);
}
