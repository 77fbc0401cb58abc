// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// What tells one recording file from another without reading all of it: its
// size and a hash of its first and last 64 KiB, as text ("<size>:<hex>"). A
// file renamed or moved keeps it; two recordings of the same size differ in
// their sound, and so in their last bytes at least.
class FileFingerprint
{
public:
    static constexpr qint64 kEdgeBytes = 64 * 1024;

    // Empty when the file cannot be read.
    static QString of(const QString& path);
    // The file size a fingerprint names; -1 for an empty or malformed one.
    static qint64 sizeOf(QStringView fingerprint);
};
