// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/StreamFormat.h"

#include <QByteArray>
#include <iconv.h>

namespace {

// Four-character codes are Mac OS Roman text; glibc's iconv knows it as MACINTOSH.
QByteArray convert(const char* to, const char* from, const QByteArray& input)
{
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray in = input;
    QByteArray out(input.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t result = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    ::iconv_close(cd);
    if (result == static_cast<size_t>(-1) || inLeft != 0)
        return {};
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

uint32_t toUInt32(const QVariant& value)
{
    return static_cast<uint32_t>(value.toULongLong());
}

} // namespace

uint32_t codecFromName(const QString& string)
{
    if (string.size() != 4)
        return 0;
    const QByteArray roman = convert("MACINTOSH", "UTF-8", string.toUtf8());
    if (roman.size() != 4)
        return 0;
    uint32_t code = 0;
    for (char c : roman)
        code = (code << 8) | static_cast<uint8_t>(c);
    return code;
}

QString nameOfCodec(uint32_t formatID)
{
    QByteArray roman(4, '\0');
    for (int i = 0; i < 4; ++i)
        roman[i] = static_cast<char>((formatID >> (8 * (3 - i))) & 0xFF);
    return QString::fromUtf8(convert("UTF-8", "MACINTOSH", roman));
}

StreamFormat streamFormatFrom(const QVariantMap& dictionary)
{
    StreamFormat d;
    if (dictionary.contains(kFormatSampleRate))
        d.mSampleRate = dictionary.value(kFormatSampleRate).toDouble();
    if (dictionary.contains(kFormatCodec))
        d.mFormatID = codecFromName(dictionary.value(kFormatCodec).toString());
    const std::pair<const QString*, uint32_t*> fields[] = {
        {&kFormatFlags, &d.mFormatFlags},
        {&kFormatBytesPerPacket, &d.mBytesPerPacket},
        {&kFormatFramesPerPacket, &d.mFramesPerPacket},
        {&kFormatBytesPerFrame, &d.mBytesPerFrame},
        {&kFormatChannels, &d.mChannelsPerFrame},
        {&kFormatBitsPerChannel, &d.mBitsPerChannel},
    };
    for (const auto& [key, field] : fields) {
        if (dictionary.contains(*key))
            *field = toUInt32(dictionary.value(*key));
    }
    return d;
}

QVariantMap mapOfStreamFormat(const StreamFormat& d)
{
    return {
        {kFormatSampleRate, d.mSampleRate},
        {kFormatCodec, nameOfCodec(d.mFormatID)},
        {kFormatFlags, d.mFormatFlags},
        {kFormatBytesPerPacket, d.mBytesPerPacket},
        {kFormatFramesPerPacket, d.mFramesPerPacket},
        {kFormatBytesPerFrame, d.mBytesPerFrame},
        {kFormatChannels, d.mChannelsPerFrame},
        {kFormatBitsPerChannel, d.mBitsPerChannel},
    };
}

uint32_t containerFrom(const QVariantMap& dictionary)
{
    if (!dictionary.contains(kFormatContainer))
        return kContainerM4a;
    return codecFromName(dictionary.value(kFormatContainer).toString());
}
