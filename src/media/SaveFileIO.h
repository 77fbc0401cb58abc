// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/FFmpegPtr.h"

#include <QSaveFile>
#include <QString>

// An FFmpeg output that writes into a QSaveFile: nothing appears at the
// destination until commit(), and an existing file there stays whole
// until the new one replaces it. One thread at a time.
class SaveFileIO
{
public:
    // Without commit() the temporary file is removed.
    explicit SaveFileIO(const QString& path);
    SaveFileIO(const SaveFileIO&) = delete;
    SaveFileIO& operator=(const SaveFileIO&) = delete;

    // Opens the temporary file; null when it cannot be created.
    AVIOContext* open();
    // Flushes and renames into place; false when any write failed.
    bool commit();

private:
    static int writePacket(void* opaque, uint8_t* data, int size);
    static int64_t seek(void* opaque, int64_t offset, int whence);

    QSaveFile m_file;
    CustomOutputPtr m_io;
    bool m_failed = false;
};
