// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Mp4Header.h"

#include <QtEndian>
#include <optional>
#include <vector>

namespace {

struct Box
{
    QByteArray type;
    qsizetype offset = 0;
    qsizetype size = 0;
};

// The boxes one after another in [from, to); nothing when one does not fit.
std::optional<std::vector<Box>> children(const QByteArray& data, qsizetype from, qsizetype to)
{
    std::vector<Box> boxes;
    while (from + 8 <= to) {
        const auto size = qsizetype(qFromBigEndian<quint32>(data.constData() + from));
        if (size < 8 || from + size > to)
            return std::nullopt;
        boxes.push_back({data.mid(from + 4, 4), from, size});
        from += size;
    }
    if (from != to)
        return std::nullopt;
    return boxes;
}

QByteArray box(const char* type, const QByteArray& body)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(8 + body.size()), out.data());
    return out + QByteArray(type, 4) + body;
}

QByteArray word(quint32 value)
{
    QByteArray out(4, '\0');
    qToBigEndian(value, out.data());
    return out;
}

} // namespace

namespace Mp4Header {

QByteArray withEdit(const QByteArray& header, uint32_t mediaTime)
{
    std::optional<std::vector<Box>> top;
    // The header was read up to some size: the last box may be cut off.
    for (qsizetype end = header.size(); end > 0 && !top; --end)
        top = children(header, 0, end);
    if (!top)
        return {};
    const Box* moov = nullptr;
    for (const Box& b : *top)
        if (b.type == "moov")
            moov = &b;
    if (!moov)
        return {};
    const auto parts = children(header, moov->offset + 8, moov->offset + moov->size);
    if (!parts)
        return {};
    // One edit, from the media time to the end of the media, at normal rate.
    const QByteArray edits =
        box("edts", box("elst", word(0) + word(1) + word(0) + word(mediaTime) + word(0x00010000)));
    QByteArray body;
    int tracks = 0;
    for (const Box& part : *parts) {
        const QByteArray bytes = header.mid(part.offset, part.size);
        if (part.type == "udta" || part.type == "free")
            continue;
        if (part.type != "trak") {
            body += bytes;
            continue;
        }
        ++tracks;
        const auto inner = children(header, part.offset + 8, part.offset + part.size);
        if (!inner)
            return {};
        QByteArray track;
        for (const Box& b : *inner) {
            if (b.type == "edts")
                return {};
            track += header.mid(b.offset, b.size);
            if (b.type == "tkhd")
                track += edits;
        }
        body += box("trak", track);
    }
    const qsizetype room = moov->size - 8 - body.size();
    if (tracks != 1 || (room != 0 && room < 8))
        return {};
    if (room > 0)
        body += box("free", QByteArray(room - 8, '\0'));
    QByteArray result = header;
    result.replace(moov->offset, moov->size, box("moov", body));
    return result.left(moov->offset + moov->size);
}

} // namespace Mp4Header
