// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PulseDeviceWatcher.h"

#include "audio/AudioLog.h"

#include <pulse/context.h>
#include <pulse/subscribe.h>

namespace {

constexpr int kRetryIntervalMs = 2000;
constexpr int kNoticeIntervalMs = 100;

} // namespace

PulseDeviceWatcher::PulseDeviceWatcher(QObject* parent) : QObject(parent)
{
    m_retryTimer.setInterval(kRetryIntervalMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &PulseDeviceWatcher::connectToServer);
    // The mainloop thread raises a flag and asks for this timer, which hands
    // a burst of changes on at once; nothing polls while nothing changes.
    m_noticeTimer.setInterval(kNoticeIntervalMs);
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, this, [this] {
        m_noticeAsked.store(false, std::memory_order_relaxed);
        // Lost already: the retry brings the connection back.
        if (!m_server)
            return;
        if (m_changed.exchange(false))
            emit devicesChanged();
        if (!isConnected()) {
            qCWarning(lcAudio, "The connection to the sound server was lost");
            m_noticeTimer.stop();
            m_server.reset();
            m_retryTimer.start();
            emit devicesChanged();
        }
    });
}

PulseDeviceWatcher::~PulseDeviceWatcher()
{
    if (m_server && m_server->context()) {
        PulseConnection::Lock lock(*m_server);
        pa_context_set_subscribe_callback(m_server->context(), nullptr, nullptr);
        m_server->setStateListener(nullptr);
    }
}

void PulseDeviceWatcher::start()
{
    connectToServer();
}

void PulseDeviceWatcher::connectToServer()
{
    auto server = std::make_unique<PulseConnection>();
    if (!server->connect()) {
        m_retryTimer.start();
        return;
    }
    m_retryTimer.stop();
    {
        PulseConnection::Lock lock(*server);
        pa_context_set_subscribe_callback(server->context(), subscribeCallback, this);
        server->setStateListener([this] { askForNotice(); });
        PulseOperationPtr(
            pa_context_subscribe(server->context(),
                                 static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE |
                                                                     PA_SUBSCRIPTION_MASK_SERVER),
                                 nullptr, nullptr));
    }
    m_server = std::move(server);
    // What came or went while nothing was followed.
    emit devicesChanged();
}

void PulseDeviceWatcher::subscribeCallback(pa_context*, pa_subscription_event_type_t facility,
                                           uint32_t, void* userdata)
{
    const int kind = facility & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (kind == PA_SUBSCRIPTION_EVENT_SOURCE || kind == PA_SUBSCRIPTION_EVENT_SERVER) {
        auto* watcher = static_cast<PulseDeviceWatcher*>(userdata);
        watcher->m_changed.store(true, std::memory_order_relaxed);
        watcher->askForNotice();
    }
}

void PulseDeviceWatcher::askForNotice()
{
    if (!m_noticeAsked.exchange(true, std::memory_order_relaxed))
        QMetaObject::invokeMethod(
            this, [this] { m_noticeTimer.start(); }, Qt::QueuedConnection);
}
