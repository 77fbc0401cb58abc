// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/ExportOptions.h"

#include <QString>
#include <atomic>
#include <functional>

// Writes a copy of a recording in another format, with its title, date and
// description as tags and its marks as chapters (where the format has
// them), optionally with less noise and an even loudness (-16 LUFS, found
// in a first pass), by FFmpeg's own encoders and filters. Formats whose
// frames stand alone are encoded in stretches side by side, one per core:
// each stretch starts a little early so the encoder settles, and only its
// own packets are kept. The copy appears at the destination only when it is
// whole; a failure or cancel leaves nothing. Any thread.
class AudioExporter
{
public:
    // Called with the part done (0..1); answering false cancels.
    using Progress = std::function<bool(double fraction)>;

    // The file name suffix of a format, without the dot.
    static QString suffix(ExportFormat format);
    // Answers an error text, empty on success.
    static QString write(const ExportItem& item, const ExportOptions& options,
                         const Progress& progress, int threads = 0);
};
