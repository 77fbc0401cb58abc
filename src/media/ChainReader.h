// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/MediaInfo.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class SegmentReader;

// Interleaved float sound made of parts one after another: stretches of
// files, decoded and converted to one rate and channel count, and blocks of
// samples already in memory (the seams). Seekable to any sample. Blocks are
// shared read-only, so readers on several threads may share them.
// One thread at a time per reader.
class ChainReader
{
public:
    struct Part
    {
        // A stretch of a file: from its skip-th converted frame, `frames`
        // of them (all the rest when negative); or a block in memory.
        MovieSegment segment;
        int64_t skip = 0;
        int64_t frames = -1;
        std::shared_ptr<const std::vector<float>> block;
    };

    ChainReader(std::vector<Part> parts, int rate, int channels);
    ~ChainReader();
    ChainReader(const ChainReader&) = delete;
    ChainReader& operator=(const ChainReader&) = delete;

    int64_t length() const { return m_length; }
    bool seek(int64_t frame);
    // Fills up to maxFrames; answers how many, 0 at the end or on a failure.
    int64_t read(float* out, int64_t maxFrames);
    const QString& error() const { return m_error; }

private:
    int64_t partLength(const Part& part) const;
    bool enter(size_t index, int64_t offset);

    std::vector<Part> m_parts;
    std::vector<int64_t> m_lengths;
    int m_rate;
    int m_channels;
    int64_t m_length = 0;
    size_t m_part = 0;
    int64_t m_offset = 0; // frames into the current part
    std::unique_ptr<SegmentReader> m_reader;
    QString m_error;
};
