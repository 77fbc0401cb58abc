// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MovieExporter.h"

#include "media/MovieWriter.h"
#include "media/WaveformCache.h"

#include <algorithm>
#include <array>

namespace {
constexpr int kChannels = 2;
constexpr int kFallbackRate = 44100;
constexpr std::array<int, 13> kAacRates = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                           22050, 16000, 12000, 11025, 8000,  7350};
} // namespace

int MovieExporter::outputRate(int sourceRate)
{
    return std::find(kAacRates.begin(), kAacRates.end(), sourceRate) != kAacRates.end()
               ? sourceRate
               : kFallbackRate;
}

QString MovieExporter::exportMPEG4(const std::vector<MovieSegment>& segments,
                                   const QString& destination, const Callback& callback,
                                   int threads)
{
    bool cancelled = false;
    if (callback && !callback(ExportPhase::Begin, 0.0))
        cancelled = true;
    QString error = QStringLiteral("The operation was cancelled");
    if (!cancelled) {
        const int rate = segments.empty() || !segments.front().source
                             ? kFallbackRate
                             : outputRate(segments.front().source->sampleRate);
        MovieWriter writer(segments, rate, kChannels);
        if (threads > 0)
            writer.setThreads(threads);
        if (callback)
            writer.setProgress([&callback](double fraction) {
                return callback(ExportPhase::UpdatePercent, fraction);
            });
        // The written packets are decoded as they go, so the new file's
        // waveform is kept without reading it again.
        PeakEnvelope peaks;
        writer.setPeaks(&peaks);
        error = writer.write(destination);
        if (error.isEmpty() && !peaks.empty())
            WaveformCache::store(destination, peaks);
    }
    if (callback)
        callback(ExportPhase::End, error.isEmpty() ? 1.0 : 0.0);
    return error;
}
