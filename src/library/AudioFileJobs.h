// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

// What the library has the media layer do to audio files: measure them, cut
// pieces out of them and convert other formats to .m4a. Conversions run on
// workers and report through the signals, on the thread that owns the jobs,
// in the order they were started.
class AudioFileJobs : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // A piece of a file: from a time, for a length (negative: to the end),
    // written to the destination.
    struct Piece
    {
        double from = 0;
        double length = -1;
        QString destination;
    };

    // Whether the file holds sound that can be read. Any thread.
    virtual bool canRead(const QString& path) const = 0;
    // The length of the sound in seconds; 0 when it cannot be read. Any thread.
    virtual double duration(const QString& path) const = 0;
    // Writes the pieces, copying the compressed sound. They take their names
    // together, in order, once all are written; answers how many did (those
    // before a failure). `done` hears of each piece written. Main thread.
    virtual int cut(const QString& path, const QList<Piece>& pieces,
                    const std::function<void(int written)>& done) = 0;

    // Starts converting the file into an .m4a file at the destination;
    // answers the conversion's number. Main thread.
    virtual int convert(const QString& source, const QString& destination) = 0;
    // Drops a conversion, waiting or running; nothing of it is reported or left.
    virtual void cancel(int id) = 0;
    // Files' worth of the running conversions done.
    virtual double convertedPart() const = 0;

signals:
    // The source of a conversion was measured; ok tells whether it opened.
    void conversionLoaded(int id, bool ok);
    // The running conversions together reached this many files' worth.
    void conversionProgress(int id, double fraction);
    // A conversion ended; ok tells whether its file was written.
    void conversionFinished(int id, bool ok);
};
