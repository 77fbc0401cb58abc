// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/FFmpegPtr.h"
#include "av/PeakEnvelope.h"

#include <cstdint>

// Decodes the AAC packets of a file as they are written, so that the peaks
// of its sound are known as a decoder will find them (the encoder moves
// them a little) without reading the file again. Decoding costs a small part
// of what encoding does. One thread at a time.
class PeakDecoder
{
public:
    // AAC at the rate and channels, with its AudioSpecificConfig; false when
    // no decoder takes it.
    bool open(int sampleRate, int channels, const uint8_t* config, int configSize);
    // One packet as written into the file; null flushes the decoder.
    void decode(const uint8_t* data, int size);
    // The peaks of what was decoded; empty when a packet could not be.
    PeakEnvelope take();

private:
    FFmpegPtr<AVCodecContext> m_decoder;
    FFmpegPtr<AVPacket> m_packet;
    FFmpegPtr<AVFrame> m_frame;
    PeakEnvelope m_envelope;
    bool m_failed = false;
};
