// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/AudioFileJobs.h"
#include "media/ConversionQueue.h"

// The library's jobs on audio files, done by the media layer: measuring
// with the prober, cutting by copying packets, converting on the pool of
// the conversion queue. Main thread, but for what says otherwise.
class MediaFileJobs : public AudioFileJobs
{
    Q_OBJECT
public:
    explicit MediaFileJobs(QObject* parent = nullptr);

    bool canRead(const QString& path) const override;
    double duration(const QString& path) const override;
    int cut(const QString& path, const QList<Piece>& pieces,
            const std::function<void(int written)>& done) override;
    int convert(const QString& source, const QString& destination) override;
    void cancel(int id) override;
    double convertedPart() const override;

private:
    ConversionQueue m_conversions;
};
