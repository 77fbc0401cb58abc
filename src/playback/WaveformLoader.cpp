// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/WaveformLoader.h"

#include "media/WaveformCache.h"
#include "playback/PlaybackPool.h"

#include <QThreadPool>
#include <atomic>
#include <mutex>

// Shared by the loader and its pool thread; the loader lets go of it when
// the answer is no longer wanted.
struct WaveformLoader::Request
{
    std::atomic<bool> cancelled{false};
    std::mutex lock;
    WaveformLoader* loader = nullptr;
};

WaveformLoader::WaveformLoader(Receiver receiver, QObject* parent)
    : QObject(parent), m_receiver(std::move(receiver))
{
}

WaveformLoader::~WaveformLoader()
{
    request(QString());
}

void WaveformLoader::request(const QString& path)
{
    if (m_request) {
        m_request->cancelled.store(true);
        const std::lock_guard guard(m_request->lock);
        m_request->loader = nullptr;
    }
    m_request.reset();
    m_pendingPath.clear();
    if (path.isEmpty())
        return;
    if (std::optional<std::vector<float>> kept = WaveformCache::load(path)) {
        m_receiver(path, *kept);
        return;
    }
    auto request = std::make_shared<Request>();
    request->loader = this;
    m_request = request;
    m_pendingPath = path;
    PlaybackPool::instance()->start([request, path] {
        std::vector<float> peaks = WaveformCache::peaks(path, &request->cancelled);
        const std::lock_guard guard(request->lock);
        if (!request->loader)
            return;
        // Posted while the loader surely lives; dropped with it if it goes first.
        QMetaObject::invokeMethod(
            request->loader,
            [loader = request->loader, request, path, peaks = std::move(peaks)] {
                if (loader->m_request != request)
                    return;
                loader->m_request.reset();
                loader->m_pendingPath.clear();
                loader->m_receiver(path, peaks);
            },
            Qt::QueuedConnection);
    });
}
