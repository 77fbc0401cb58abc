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
    // The mainloop thread only raises a flag; this timer hands it on.
    m_noticeTimer.setInterval(kNoticeIntervalMs);
    connect(&m_noticeTimer, &QTimer::timeout, this, [this] {
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
        PulseOperationPtr(
            pa_context_subscribe(server->context(),
                                 static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE |
                                                                     PA_SUBSCRIPTION_MASK_SERVER),
                                 nullptr, nullptr));
    }
    m_server = std::move(server);
    m_noticeTimer.start();
    // What came or went while nothing was followed.
    emit devicesChanged();
}

void PulseDeviceWatcher::subscribeCallback(pa_context*, pa_subscription_event_type_t facility,
                                           uint32_t, void* userdata)
{
    const int kind = facility & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (kind == PA_SUBSCRIPTION_EVENT_SOURCE || kind == PA_SUBSCRIPTION_EVENT_SERVER)
        static_cast<PulseDeviceWatcher*>(userdata)->m_changed.store(true,
                                                                    std::memory_order_relaxed);
}
