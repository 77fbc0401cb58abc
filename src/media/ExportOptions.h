// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

// The formats a recording can be shared in.
enum class ExportFormat
{
    Opus,
    Mp3,
    Flac,
    Wav,
    M4a,
};

// What the user chose for exports; remembered between them.
struct ExportOptions
{
    ExportFormat format = ExportFormat::Opus;
    bool reduceNoise = false;
    bool evenLoudness = false;
    QString folder;
};

// One copy to write: the library's file, where the copy goes, and what it
// carries as tags and chapters.
struct ExportItem
{
    struct Chapter
    {
        double start = 0; // seconds
        QString title;
    };
    QString source;
    QString destination;
    QString title;
    QDateTime date;
    QString description;
    std::vector<Chapter> chapters;
};
