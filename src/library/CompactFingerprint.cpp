// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/CompactFingerprint.h"

#include "library/FileFingerprint.h"

#include <QByteArray>
#include <algorithm>
#include <charconv>

namespace {

int hexDigit(char16_t u)
{
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

// Sizes without a leading zero and short enough for a qint64 print back as
// they were read; upper-case hex digits would not.
template <typename Text> bool CompactFingerprint::pack(const Text& text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon <= 0 || colon > 18 || text.size() != colon + 1 + 2 * kHashBytes)
        return false;
    const auto at = [&text](qsizetype i) { return char16_t(QChar(text[i]).unicode()); };
    if (at(0) == u'0' && colon != 1)
        return false;
    qint64 size = 0;
    for (qsizetype i = 0; i < colon; ++i) {
        if (at(i) < u'0' || at(i) > u'9')
            return false;
        size = size * 10 + (at(i) - u'0');
    }
    std::array<uchar, kHashBytes> hash{};
    for (int i = 0; i < kHashBytes; ++i) {
        const int high = hexDigit(at(colon + 1 + 2 * i));
        const int low = hexDigit(at(colon + 2 + 2 * i));
        if (high < 0 || low < 0)
            return false;
        hash[size_t(i)] = uchar(high << 4 | low);
    }
    m_size = size;
    m_hash = hash;
    return true;
}

CompactFingerprint::CompactFingerprint(const QString& text)
{
    if (!pack(QStringView(text)))
        m_text = text;
}

CompactFingerprint::CompactFingerprint(QLatin1StringView text)
{
    if (!pack(text))
        m_text = text;
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
