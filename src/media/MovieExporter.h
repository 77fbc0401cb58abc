// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/MediaInfo.h"

#include <QString>
#include <functional>
#include <vector>

// Phases of a long movie operation, in the order the callback sees them.
enum class ExportPhase
{
    Begin = 0,
    UpdatePercent = 1,
    End = 2,
};

// Exports audio in any readable format as a stereo AAC .m4a (MPEG-4 audio).
class MovieExporter
{
public:
    // Called with Begin once, UpdatePercent with the part done (0..1) as the
    // work goes on, and End exactly once, also after a failure.
    // Answering false cancels the export.
    using Callback = std::function<bool(ExportPhase phase, double fraction)>;

    // Main thread or a worker; answers an error text, empty on success. The
    // written file's waveform goes into WaveformCache where it can be known
    // without reading the file again.
    // threads limits the cores the encoding may use (0: as many as pay).
    static QString exportMPEG4(const std::vector<MovieSegment>& segments,
                               const QString& destination, const Callback& callback,
                               int threads = 0);

    // The output sample rate for a source rate: kept when AAC supports it.
    static int outputRate(int sourceRate);
};
