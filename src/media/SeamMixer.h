// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

// The sound where one recording continues another: the end of the first
// fades into the start of the second, so a step in the wave (the two were
// recorded apart) does not click. Where the whole frames of the file need
// the joined sound longer, the first recording's last moment is held a
// little (its end fades into itself, a few milliseconds back); nothing of
// either recording is dropped. All lengths are in frames of interleaved samples.
class SeamMixer
{
public:
    SeamMixer(int sampleRate, int channels);

    // Length of the fade: 10 ms.
    int fade() const { return m_fade; }
    // The change that the join must make to the length of the sound:
    // negative lengthens. Between -frame and 0, never 0; congruent to the
    // mismatch modulo the frame.
    int64_t shorteningFor(int64_t mismatch, int frame) const;
    // Frames of the first sound's end and of the second's start that the
    // seam replaces, for a shortening.
    int64_t tailFrames(int64_t shortening) const;
    int64_t headFrames(int64_t shortening) const;
    // The seam: tailFrames() of the first and headFrames() of the second in,
    // tailFrames() + headFrames() - shortening frames out.
    std::vector<float> mix(const std::vector<float>& tail, const std::vector<float>& head,
                           int64_t shortening) const;

private:
    int m_channels;
    int m_fade;
};
