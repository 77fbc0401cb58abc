// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/ChainReader.h"

#include "media/SegmentReader.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cstring>

ChainReader::ChainReader(std::vector<Part> parts, int rate, int channels)
    : m_parts(std::move(parts)), m_rate(rate), m_channels(channels)
{
    for (const Part& part : m_parts) {
        m_lengths.push_back(partLength(part));
        m_length += m_lengths.back();
    }
    m_part = m_parts.size();
}

ChainReader::~ChainReader() = default;

int64_t ChainReader::partLength(const Part& part) const
{
    if (part.block)
        return static_cast<int64_t>(part.block->size()) / m_channels;
    if (!part.segment.source || part.segment.source->sampleRate <= 0)
        return 0;
    const int64_t all =
        av_rescale(part.segment.length, m_rate, part.segment.source->sampleRate) - part.skip;
    return std::max<int64_t>(0, part.frames >= 0 ? std::min(part.frames, all) : all);
}

bool ChainReader::enter(size_t index, int64_t offset)
{
    m_part = index;
    m_offset = offset;
    m_reader.reset();
    if (index >= m_parts.size() || m_parts[index].block)
        return true;
    m_reader = std::make_unique<SegmentReader>(std::vector<MovieSegment>{m_parts[index].segment},
                                               m_rate, m_channels);
    if (!m_reader->seek(m_parts[index].skip + offset)) {
        m_error = m_reader->error();
        return false;
    }
    return true;
}

bool ChainReader::seek(int64_t frame)
{
    m_error.clear();
    int64_t offset = std::max<int64_t>(0, frame);
    for (size_t i = 0; i < m_parts.size(); ++i) {
        if (offset < m_lengths[i])
            return enter(i, offset);
        offset -= m_lengths[i];
    }
    return enter(m_parts.size(), 0);
}

int64_t ChainReader::read(float* out, int64_t maxFrames)
{
    int64_t done = 0;
    while (done < maxFrames && m_part < m_parts.size() && m_error.isEmpty()) {
        const int64_t left = m_lengths[m_part] - m_offset;
        if (left <= 0) {
            if (!enter(m_part + 1, 0))
                break;
            continue;
        }
        const int64_t want = std::min(maxFrames - done, left);
        int64_t got = 0;
        if (const auto& block = m_parts[m_part].block) {
            std::memcpy(out + done * m_channels, block->data() + m_offset * m_channels,
                        sizeof(float) * static_cast<size_t>(want * m_channels));
            got = want;
        } else {
            got = m_reader->read(out + done * m_channels, want);
            if (got <= 0) {
                // A file that gives less than it measured: the rest is silence,
                // so that what follows keeps its place.
                m_error = m_reader->error();
                if (!m_error.isEmpty())
                    break;
                std::fill_n(out + done * m_channels, want * m_channels, 0.0f);
                got = want;
            }
        }
        done += got;
        m_offset += got;
    }
    return done;
}
