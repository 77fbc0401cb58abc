// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <vector>

class RecItem;

// A recording's time marks as files other tools read: the label tracks of
// audio editors (start, end and note separated by tabs, seconds with six
// decimals) and CUE sheets (one track per mark). Label files are read back as
// marks. Main thread only.
class MarkFiles
{
public:
    // A CUE sheet numbers its tracks with two digits.
    static constexpr int kMaxCueTracks = 99;

    struct Label
    {
        double start = 0;
        double end = 0;
        QString note;
    };

    // One line per mark, in the order of time. A note's line breaks are
    // written as \n and \r and its backslashes as \\, so that every note
    // stays on its line and reads back the same; tabs stay as they are.
    static QString labelText(const RecItem& rec);
    // One track per mark, in the order of time, for the audio file's name.
    // Quotes and line breaks, which a sheet cannot hold, become ' and spaces.
    static QString cueText(const RecItem& rec, const QString& audioFileName);

    // The labels of a label file's text. A line the format does not allow
    // makes the whole text fail; badLine is then its number, from 1.
    static bool parseLabels(const QString& text, std::vector<Label>& labels, int& badLine);
    // Adds the labels as marks at their start, held within the recording's
    // length; answers how many were added.
    static int addLabels(RecItem& rec, const std::vector<Label>& labels);
};
