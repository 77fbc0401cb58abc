// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BusInterface.h"

#include "app/AppLog.h"
#include "library/RecItem.h"
#include "session/RecordingSession.h"
#include "shell/WindowController.h"

#include <QDBusConnection>
#include <QDBusError>

BusInterface::BusInterface(RecordingSession& session, WindowController& window, QObject* parent)
    : QObject(parent), m_session(session), m_window(window)
{
    connect(&m_session, &RecordingSession::started, this, [this] { emit RecordingChanged(true); });
    connect(&m_session, &RecordingSession::stopped, this, [this] { emit RecordingChanged(false); });
}

bool BusInterface::publish()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcApp, "No session bus: VoiceTray is not offered on it");
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(kPath), this,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QString::fromLatin1(kService))) {
        qCWarning(lcApp, "Cannot offer VoiceTray on the session bus: %s",
                  qPrintable(bus.lastError().message()));
        bus.unregisterObject(QString::fromLatin1(kPath));
        return false;
    }
    return true;
}

bool BusInterface::recording() const
{
    return m_session.isRecording();
}

double BusInterface::elapsed() const
{
    return m_session.elapsed();
}

void BusInterface::Record()
{
    m_window.toggleRecording(false);
}

void BusInterface::Continue()
{
    m_window.toggleRecording(true);
}

void BusInterface::Stop()
{
    m_session.stop();
}

bool BusInterface::Mark(const QString& note)
{
    return m_session.addMark(note);
}
