// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/MediaInfo.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// Where every AAC packet of an MPEG-4 file lies, from the file's own sample
// table (or its fragments' tables), so that packets can be copied as bytes
// without reading them through the demuxer. Each packet decodes to one
// frame of frameSize samples starting at its position on the decoder's time
// line. Any thread; each call opens its own reader.
class SourcePackets
{
public:
    static constexpr int kFrameSize = 1024;

    struct Packet
    {
        int64_t position = 0; // first sample of the frame it decodes to
        int64_t offset = 0;   // in the file
        int32_t size = 0;
    };

    // Empty (not usable) unless the file is MPEG-4 audio with AAC frames of
    // kFrameSize samples, one after another, and every packet lies inside it.
    // Read once and kept with info until its file changes.
    static std::shared_ptr<const SourcePackets> of(const MediaInfo& info);

    bool usable() const { return !m_packets.empty(); }
    const std::vector<Packet>& packets() const { return m_packets; }
    // Packets whose frames start at or before the sample, from the first: the
    // index of the packet that holds it.
    size_t indexAt(int64_t sample) const;
    // The encoder's delay is not marked in the file: the first frame's
    // position is the file's first sample (fragmented recordings).
    bool primingUnmarked() const { return m_primingUnmarked; }

private:
    static SourcePackets read(const MediaInfo& info);

    std::vector<Packet> m_packets;
    bool m_primingUnmarked = false;
};
