// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TrayWatcher.h"

#include "widgets/X11Selection.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSystemTrayIcon>

namespace {

bool statusNotifierHostRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    // Short: a watcher that hangs must not hold the window for long.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

} // namespace

TrayWatcher::TrayWatcher(QObject* parent) : QObject(parent)
{
    m_poll.setInterval(kPollInterval);
    m_patience.setSingleShot(true);
    connect(&m_poll, &QTimer::timeout, this, &TrayWatcher::poll);
    connect(&m_patience, &QTimer::timeout, this, &TrayWatcher::patienceRanOut);
}

bool TrayWatcher::isTrayAvailable()
{
    return (X11Selection::hasOwner("_NET_SYSTEM_TRAY_S0") || statusNotifierHostRegistered()) &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayWatcher::start(int patienceMs)
{
    m_poll.start();
    m_patience.start(patienceMs);
}

void TrayWatcher::stop()
{
    m_poll.stop();
    m_patience.stop();
}

void TrayWatcher::poll()
{
    if (!isTrayAvailable())
        return;
    stop();
    emit trayAppeared();
}
