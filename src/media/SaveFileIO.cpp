// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/SaveFileIO.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {
constexpr int kBufferSize = 64 * 1024;
}

SaveFileIO::SaveFileIO(const QString& path) : m_file(path) {}

AVIOContext* SaveFileIO::open()
{
    if (!m_file.open(QIODevice::WriteOnly))
        return nullptr;
    FFmpegPtr<uint8_t> buffer(static_cast<uint8_t*>(av_malloc(kBufferSize)));
    if (!buffer)
        return nullptr;
    m_io.reset(avio_alloc_context(buffer.get(), kBufferSize, 1, this, nullptr,
                                  &SaveFileIO::writePacket, &SaveFileIO::seek));
    // The context owns the buffer from here on.
    if (m_io)
        buffer.release();
    return m_io.get();
}

bool SaveFileIO::commit()
{
    if (!m_io)
        return false;
    avio_flush(m_io.get());
    if (m_failed || m_io->error < 0) {
        m_file.cancelWriting();
        return false;
    }
    return m_file.commit();
}

int SaveFileIO::writePacket(void* opaque, uint8_t* data, int size)
{
    auto* self = static_cast<SaveFileIO*>(opaque);
    if (self->m_file.write(reinterpret_cast<const char*>(data), size) != size) {
        self->m_failed = true;
        return AVERROR(EIO);
    }
    return size;
}

int64_t SaveFileIO::seek(void* opaque, int64_t offset, int whence)
{
    auto* self = static_cast<SaveFileIO*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return self->m_file.size();
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset += self->m_file.pos();
        break;
    case SEEK_END:
        offset += self->m_file.size();
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (!self->m_file.seek(offset))
        return AVERROR(EIO);
    return offset;
}
