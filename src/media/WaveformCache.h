// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/PeakEnvelope.h"

#include <QString>
#include <atomic>
#include <optional>
#include <vector>

// The peak envelopes of audio files, kept under the user's cache folder: one
// small file per audio file, named after its path and valid only for the
// size and modification time the audio file had when it was measured. A
// changed file (a continuation, an import over it) is measured again and its
// entry replaced. Any thread; two threads measuring one file at once both
// write whole entries, the later one winning.
class WaveformCache
{
public:
    // The folder of the entries.
    static QString folder();
    // The entry's file for an audio file.
    static QString entryPath(const QString& audioPath);

    // The kept envelope, when it belongs to the file as it is now.
    static std::optional<std::vector<float>> load(const QString& audioPath);
    // The kept envelope with the length it covers, to be continued.
    static std::optional<PeakEnvelope> envelope(const QString& audioPath);
    // The kept envelope, or the file measured and kept; empty when it cannot
    // be read (or the measuring was cancelled).
    static std::vector<float> peaks(const QString& audioPath,
                                    const std::atomic<bool>* cancel = nullptr);
    // Keeps an envelope known without decoding (the sound that was written
    // into the file) for the file as it is now; false when it cannot.
    static bool store(const QString& audioPath, const PeakEnvelope& envelope);
    // Keeps the envelope of a file that a part was just joined onto: the
    // envelope the file had before, then the part's without its first skip
    // samples (at the part's sample rate). The seam may have taken or added
    // a little of the file's end; the joined file's length says how much.
    static bool storeJoined(const QString& audioPath, PeakEnvelope before, const PeakEnvelope& part,
                            int64_t skip, int partRate);
};
