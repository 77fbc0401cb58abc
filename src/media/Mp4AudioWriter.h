// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class FileBatch;
class QSaveFile;

// Writes one AAC track as an MPEG-4 audio file (.m4a): the packets go into
// the media data as they come, copied straight from other files where they
// lie there already (the kernel moves those bytes without reading them into
// the program), and the index follows at the end. Nothing appears at the
// destination until finish() succeeded. One thread at a time.
class Mp4AudioWriter
{
public:
    struct Format
    {
        int sampleRate = 0;
        int channels = 0;
        QByteArray config; // the AudioSpecificConfig
    };

    explicit Mp4AudioWriter(const QString& destination);
    ~Mp4AudioWriter();
    Mp4AudioWriter(const Mp4AudioWriter&) = delete;
    Mp4AudioWriter& operator=(const Mp4AudioWriter&) = delete;

    // Creates the temporary file and writes the header; false when it cannot.
    bool open(const Format& format);
    // One packet of frameSize samples.
    bool addPacket(const uint8_t* data, int size);
    // Packets that lie one after another in an open file, from offset on.
    bool copyPackets(int fd, int64_t offset, const std::vector<int32_t>& sizes);
    // Writes the index and puts the file in place. The first skip samples
    // are the encoder's delay (or the lead before a cut), and the file plays
    // length samples from there. Given a batch, the file is handed to it
    // and takes its name when the batch is committed.
    bool finish(int64_t skip, int64_t length, FileBatch* batch = nullptr);

private:
    bool writeAll(const char* data, int64_t size);
    bool flushPackets();
    QByteArray movieBox(int64_t skip, int64_t length, int64_t dataStart) const;

    std::unique_ptr<QSaveFile> m_file;
    Format m_format;
    int m_fd = -1;
    std::vector<int32_t> m_sizes;
    std::vector<char> m_pending; // packets not written yet
    int64_t m_dataBytes = 0;
    bool m_failed = false;
};
