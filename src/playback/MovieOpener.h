// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class AudioFile;

// Opens a recording's file without holding up the window: the file is
// measured on a pool thread (a long fragmented recording takes a while) and
// the movie is made on the main thread from what was measured. A new
// request, a cancel or the opener's end drops the answer of the one before.
// Main thread only.
class MovieOpener : public QObject
{
    Q_OBJECT
public:
    // Gets the opened movie, or null for a file that does not open.
    using Receiver = std::function<void(std::unique_ptr<AudioFile> movie)>;

    explicit MovieOpener(Receiver receiver, QObject* parent = nullptr);
    ~MovieOpener() override;

    void open(const QString& path);
    void cancel();
    bool isPending() const { return m_request != nullptr; }
    // Hands the pending movie to the receiver now, measuring it here when no
    // pool thread has begun to.
    void finish();

private:
    struct Request;
    void deliver(const std::shared_ptr<Request>& request);

    Receiver m_receiver;
    std::shared_ptr<Request> m_request;
};
