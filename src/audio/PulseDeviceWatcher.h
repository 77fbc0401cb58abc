// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "av/PulseConnection.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <pulse/def.h>

// Follows the sound server's sources and its default source as they come
// and go (a headset plugged in or pulled out, another default chosen), over
// a connection of its own, and reconnects when the server comes back. Main
// thread only; the server's notices arrive on the mainloop thread and are
// handed over without waiting.
class PulseDeviceWatcher : public QObject
{
    Q_OBJECT
public:
    explicit PulseDeviceWatcher(QObject* parent = nullptr);
    ~PulseDeviceWatcher() override;

    // Connects and starts following; tries again every few seconds while the
    // server cannot be reached.
    void start();
    bool isConnected() const { return m_server && m_server->isReady(); }

signals:
    // Some source or the default source changed; at most every tenth of a second.
    void devicesChanged();

private:
    static void subscribeCallback(pa_context* context, pa_subscription_event_type_t facility,
                                  uint32_t index, void* userdata);
    void connectToServer();
    // Mainloop thread: asks the main thread to hand the changes on.
    void askForNotice();

    std::unique_ptr<PulseConnection> m_server;
    QTimer m_retryTimer;
    QTimer m_noticeTimer;
    std::atomic<bool> m_changed{false};
    std::atomic<bool> m_noticeAsked{false};
};
