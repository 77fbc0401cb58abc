// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/Mp4AudioWriter.h"

#include "media/FileBatch.h"

#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFrameSize = 1024;
// Packets per chunk of the sample table: about a second and a half at 44.1 kHz.
constexpr int kChunkPackets = 64;
constexpr int64_t kCopyStep = 8 << 20;
// Packets are written in blocks, not a system call for every 23 ms of sound.
constexpr size_t kWriteBlock = 256 << 10;
constexpr uint32_t kUnity = 0x00010000;
constexpr int kFileTypeSize = 28;
constexpr int kDataHeaderSize = 16;

// Big-endian box writing with nested sizes filled in when a box closes.
class Boxes
{
public:
    void u8(uint32_t v) { m_bytes.append(static_cast<char>(v & 0xff)); }
    void u16(uint32_t v)
    {
        u8(v >> 8);
        u8(v);
    }
    void u24(uint32_t v)
    {
        u8(v >> 16);
        u16(v);
    }
    void u32(uint32_t v)
    {
        u16(v >> 16);
        u16(v);
    }
    void u64(uint64_t v)
    {
        u32(static_cast<uint32_t>(v >> 32));
        u32(static_cast<uint32_t>(v));
    }
    void tag(const char* fourcc) { m_bytes.append(fourcc, 4); }
    void zeros(int count) { m_bytes.append(count, '\0'); }
    void bytes(const QByteArray& data) { m_bytes.append(data); }
    void open(const char* fourcc)
    {
        m_open.push_back(m_bytes.size());
        u32(0);
        tag(fourcc);
    }
    // A full box: version and flags follow the type.
    void open(const char* fourcc, int version, uint32_t flags)
    {
        open(fourcc);
        u8(static_cast<uint32_t>(version));
        u24(flags);
    }
    void close()
    {
        const qsizetype start = m_open.back();
        m_open.pop_back();
        const auto size = static_cast<uint32_t>(m_bytes.size() - start);
        for (int i = 0; i < 4; ++i)
            m_bytes[start + i] = static_cast<char>((size >> (24 - 8 * i)) & 0xff);
    }
    // An MPEG-4 descriptor with its length in the four-byte form.
    void descriptor(uint32_t descriptorTag, const QByteArray& body)
    {
        u8(descriptorTag);
        const auto size = static_cast<uint32_t>(body.size());
        u8(0x80 | ((size >> 21) & 0x7f));
        u8(0x80 | ((size >> 14) & 0x7f));
        u8(0x80 | ((size >> 7) & 0x7f));
        u8(size & 0x7f);
        bytes(body);
    }
    void matrix()
    {
        for (const uint32_t v : {kUnity, 0u, 0u, 0u, kUnity, 0u, 0u, 0u, 0x40000000u})
            u32(v);
    }
    const QByteArray& data() const { return m_bytes; }

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_open;
};

bool needs64(int64_t value)
{
    return value > std::numeric_limits<uint32_t>::max();
}

} // namespace

Mp4AudioWriter::Mp4AudioWriter(const QString& destination)
    : m_file(std::make_unique<QSaveFile>(destination))
{
}

Mp4AudioWriter::~Mp4AudioWriter() = default;

bool Mp4AudioWriter::open(const Format& format)
{
    m_format = format;
    if (format.sampleRate <= 0 || format.channels <= 0 || format.config.isEmpty() ||
        !m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    m_fd = m_file->handle();
    Boxes head;
    head.open("ftyp");
    head.tag("M4A ");
    head.u32(0x200);
    head.tag("M4A ");
    head.tag("isom");
    head.tag("iso2");
    head.close();
    // The media data's size is not known yet: a 64-bit size, patched at the end.
    head.u32(1);
    head.tag("mdat");
    head.u64(0);
    return head.data().size() == kFileTypeSize + kDataHeaderSize &&
           writeAll(head.data().constData(), head.data().size());
}

bool Mp4AudioWriter::writeAll(const char* data, int64_t size)
{
    while (!m_failed && size > 0) {
        const ssize_t done = ::write(m_fd, data, static_cast<size_t>(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            m_failed = true;
            break;
        }
        data += done;
        size -= done;
    }
    return !m_failed;
}

bool Mp4AudioWriter::flushPackets()
{
    const bool ok = writeAll(m_pending.data(), static_cast<int64_t>(m_pending.size()));
    m_pending.clear();
    return ok;
}

bool Mp4AudioWriter::addPacket(const uint8_t* data, int size)
{
    if (m_fd < 0 || size <= 0 || m_failed)
        return false;
    m_pending.insert(m_pending.end(), data, data + size);
    if (m_pending.size() >= kWriteBlock && !flushPackets())
        return false;
    m_sizes.push_back(size);
    m_dataBytes += size;
    return true;
}

bool Mp4AudioWriter::copyPackets(int fd, int64_t offset, const std::vector<int32_t>& sizes)
{
    if (m_fd < 0 || m_failed || !flushPackets())
        return false;
    int64_t left = 0;
    for (const int32_t size : sizes)
        left += size;
    off64_t from = offset;
    bool kernelCopy = true;
    std::vector<char> buffer;
    while (left > 0) {
        const auto step = static_cast<size_t>(std::min(left, kCopyStep));
        ssize_t done = -1;
        if (kernelCopy) {
            done = ::copy_file_range(fd, &from, m_fd, nullptr, step, 0);
            if (done < 0 && errno == EINTR)
                continue;
            // Another file system, or a kernel without the call: copy by hand.
            if (done < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                             errno == EOPNOTSUPP || errno == EBADF)) {
                kernelCopy = false;
                continue;
            }
        } else {
            buffer.resize(step);
            done = ::pread(fd, buffer.data(), step, from);
            if (done < 0 && errno == EINTR)
                continue;
            if (done > 0 && !writeAll(buffer.data(), done))
                return false;
            if (done > 0)
                from += done;
        }
        // A source that ended early was cut off after it was measured.
        if (done <= 0) {
            m_failed = true;
            return false;
        }
        left -= done;
    }
    m_sizes.insert(m_sizes.end(), sizes.begin(), sizes.end());
    for (const int32_t size : sizes)
        m_dataBytes += size;
    return true;
}

QByteArray Mp4AudioWriter::movieBox(int64_t skip, int64_t length, int64_t dataStart) const
{
    const auto count = static_cast<int64_t>(m_sizes.size());
    const int64_t mediaDuration = count * kFrameSize;
    const uint32_t rate = static_cast<uint32_t>(m_format.sampleRate);
    const bool longTimes = needs64(mediaDuration) || needs64(length);
    const int timeVersion = longTimes ? 1 : 0;
    const auto time = [&](Boxes& b, int64_t value) {
        if (longTimes)
            b.u64(static_cast<uint64_t>(value));
        else
            b.u32(static_cast<uint32_t>(value));
    };
    int32_t largest = 0;
    for (const int32_t size : m_sizes)
        largest = std::max(largest, size);
    const auto averageBitRate =
        static_cast<uint32_t>(mediaDuration > 0 ? m_dataBytes * 8 * rate / mediaDuration : 0);
    const auto peakBitRate = static_cast<uint32_t>(int64_t(largest) * 8 * rate / kFrameSize);

    Boxes b;
    b.open("moov");
    // The movie's time scale is the sample rate, so the edit is exact to the sample.
    b.open("mvhd", timeVersion, 0);
    time(b, 0);
    time(b, 0);
    b.u32(rate);
    time(b, length);
    b.u32(kUnity);
    b.u16(0x0100);
    b.zeros(10);
    b.matrix();
    b.zeros(24);
    b.u32(2);
    b.close();

    b.open("trak");
    b.open("tkhd", timeVersion, 3);
    time(b, 0);
    time(b, 0);
    b.u32(1);
    b.u32(0);
    time(b, length);
    b.zeros(8);
    b.u16(0);
    b.u16(1);
    b.u16(0x0100);
    b.u16(0);
    b.matrix();
    b.u32(0);
    b.u32(0);
    b.close();

    b.open("edts");
    b.open("elst", timeVersion, 0);
    b.u32(1);
    time(b, length);
    time(b, skip);
    b.u32(kUnity);
    b.close();
    b.close();

    b.open("mdia");
    b.open("mdhd", timeVersion, 0);
    time(b, 0);
    time(b, 0);
    b.u32(rate);
    time(b, mediaDuration);
    b.u16(0x55c4); // "und"
    b.u16(0);
    b.close();
    b.open("hdlr", 0, 0);
    b.u32(0);
    b.tag("soun");
    b.zeros(12);
    b.bytes(QByteArray("SoundHandler", 13));
    b.close();
    b.open("minf");
    b.open("smhd", 0, 0);
    b.u32(0);
    b.close();
    b.open("dinf");
    b.open("dref", 0, 0);
    b.u32(1);
    b.open("url ", 0, 1);
    b.close();
    b.close();
    b.close();

    b.open("stbl");
    b.open("stsd", 0, 0);
    b.u32(1);
    b.open("mp4a");
    b.zeros(6);
    b.u16(1);
    b.zeros(8);
    b.u16(static_cast<uint32_t>(m_format.channels));
    b.u16(16);
    b.u16(0);
    b.u16(0);
    b.u32(rate <= 0xffff ? rate << 16 : 0);
    b.open("esds", 0, 0);
    Boxes config;
    config.descriptor(0x05, m_format.config);
    Boxes decoder;
    decoder.u8(0x40); // MPEG-4 audio
    decoder.u8(0x15); // audio stream
    decoder.u24(static_cast<uint32_t>(largest));
    decoder.u32(peakBitRate);
    decoder.u32(averageBitRate);
    decoder.bytes(config.data());
    Boxes stream;
    stream.u16(1);
    stream.u8(0);
    stream.descriptor(0x04, decoder.data());
    stream.descriptor(0x06, QByteArray(1, '\x02'));
    b.descriptor(0x03, stream.data());
    b.close();
    b.close();
    b.close();

    b.open("stts", 0, 0);
    b.u32(1);
    b.u32(static_cast<uint32_t>(count));
    b.u32(kFrameSize);
    b.close();

    const int64_t fullChunks = count / kChunkPackets;
    const int64_t rest = count % kChunkPackets;
    b.open("stsc", 0, 0);
    b.u32((fullChunks > 0 ? 1 : 0) + (rest > 0 ? 1 : 0));
    if (fullChunks > 0) {
        b.u32(1);
        b.u32(kChunkPackets);
        b.u32(1);
    }
    if (rest > 0) {
        b.u32(static_cast<uint32_t>(fullChunks + 1));
        b.u32(static_cast<uint32_t>(rest));
        b.u32(1);
    }
    b.close();

    b.open("stsz", 0, 0);
    b.u32(0);
    b.u32(static_cast<uint32_t>(count));
    for (const int32_t size : m_sizes)
        b.u32(static_cast<uint32_t>(size));
    b.close();

    const bool wideOffsets = needs64(dataStart + m_dataBytes);
    b.open(wideOffsets ? "co64" : "stco", 0, 0);
    b.u32(static_cast<uint32_t>(fullChunks + (rest > 0 ? 1 : 0)));
    int64_t offset = dataStart;
    for (int64_t i = 0; i < count; ++i) {
        if (i % kChunkPackets == 0) {
            if (wideOffsets)
                b.u64(static_cast<uint64_t>(offset));
            else
                b.u32(static_cast<uint32_t>(offset));
        }
        offset += m_sizes[static_cast<size_t>(i)];
    }
    b.close();

    b.close(); // stbl
    b.close(); // minf
    b.close(); // mdia
    b.close(); // trak
    b.close(); // moov
    return b.data();
}

bool Mp4AudioWriter::finish(int64_t skip, int64_t length, FileBatch* batch)
{
    if (m_fd < 0 || m_failed || m_sizes.empty() || skip < 0 || length <= 0)
        return false;
    const int64_t dataStart = kFileTypeSize + kDataHeaderSize;
    const QByteArray movie = movieBox(skip, length, dataStart);
    if (!flushPackets() || !writeAll(movie.constData(), movie.size()))
        return false;
    Boxes size;
    size.u64(static_cast<uint64_t>(kDataHeaderSize + m_dataBytes));
    if (::pwrite(m_fd, size.data().constData(), 8, kFileTypeSize + 8) != 8)
        return false;
    m_fd = -1;
    if (!batch)
        return m_file->commit();
    batch->add(std::move(m_file));
    return true;
}
