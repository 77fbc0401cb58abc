// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/MovieOpener.h"

#include "media/AudioFile.h"
#include "media/MediaProber.h"
#include "playback/PlaybackPool.h"

#include <QThreadPool>
#include <condition_variable>
#include <mutex>

// Shared by the opener and its pool thread. Whoever begins first measures
// the file; the opener lets go of it when the answer is no longer wanted.
struct MovieOpener::Request
{
    QString path;
    std::mutex lock;
    std::condition_variable measured;
    bool begun = false;
    bool done = false;
    MediaInfoPtr info;
    MovieOpener* opener = nullptr;
};

MovieOpener::MovieOpener(Receiver receiver, QObject* parent)
    : QObject(parent), m_receiver(std::move(receiver))
{
}

MovieOpener::~MovieOpener()
{
    cancel();
}

void MovieOpener::cancel()
{
    if (!m_request)
        return;
    {
        const std::lock_guard guard(m_request->lock);
        m_request->opener = nullptr;
        // A request no thread has begun is not measured at all.
        m_request->begun = true;
    }
    m_request.reset();
}

void MovieOpener::open(const QString& path)
{
    cancel();
    auto request = std::make_shared<Request>();
    request->path = path;
    request->opener = this;
    m_request = request;
    PlaybackPool::instance()->start([request] {
        {
            const std::lock_guard guard(request->lock);
            if (request->begun)
                return;
            request->begun = true;
        }
        MediaInfoPtr info = MediaProber::probe(request->path);
        const std::lock_guard guard(request->lock);
        request->info = std::move(info);
        request->done = true;
        request->measured.notify_all();
        if (!request->opener)
            return;
        // Posted while the opener surely lives; dropped with it if it goes first.
        QMetaObject::invokeMethod(
            request->opener,
            [opener = request->opener, request] {
                if (opener->m_request == request)
                    opener->deliver(request);
            },
            Qt::QueuedConnection);
    });
}

void MovieOpener::finish()
{
    if (!m_request)
        return;
    const std::shared_ptr<Request> request = m_request;
    std::unique_lock guard(request->lock);
    if (!request->begun) {
        request->begun = true;
        guard.unlock();
        MediaInfoPtr info = MediaProber::probe(request->path);
        guard.lock();
        request->info = std::move(info);
        request->done = true;
    }
    request->measured.wait(guard, [&] { return request->done; });
    guard.unlock();
    deliver(request);
}

void MovieOpener::deliver(const std::shared_ptr<Request>& request)
{
    {
        const std::lock_guard guard(request->lock);
        request->opener = nullptr;
    }
    m_request.reset();
    m_receiver(request->info ? AudioFile::movieWithInfo(request->info) : nullptr);
}
