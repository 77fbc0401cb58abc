// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/MediaInfo.h"

#include <QString>

// Measures audio files. Any thread may call these; each call opens its own reader.
class MediaProber
{
public:
    // Opens and measures path; null with an error text when it is not a
    // readable audio file with at least one sample.
    static MediaInfoPtr probe(const QString& path, QString* error = nullptr);

    // The file opens as audio (it is not measured).
    static bool canOpen(const QString& path);

    // Length in seconds; 0 for anything that does not open.
    static double fileDuration(const QString& path);
};
