// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QMutex>
#include <QThread>
#include <functional>
#include <memory>

class QDBusVirtualObject;

// A desktop service written by a test: it owns a name on the session bus and
// answers the method calls to one object on a thread of its own, so that the
// program under test may call it with blocking calls from its main thread.
// The handler runs on that thread, everything else on the test's.
class FakeDBusService
{
public:
    // The reply to one method call (an error reply too).
    using Handler = std::function<QDBusMessage(const QDBusMessage& call)>;

    // introspection: the object's <interface> elements, for callers that introspect first.
    FakeDBusService(const QString& name, const QString& path, const QString& introspection,
                    Handler handler);
    ~FakeDBusService();

    bool isRegistered() const { return m_registered; }
    // Sends a message (a signal) from the service; any thread.
    void send(const QDBusMessage& message) { m_connection.send(message); }
    // Every method call received so far, in order.
    QList<QDBusMessage> calls() const;
    // The reply to Properties.Get or GetAll for the interface from a table of its properties.
    static QDBusMessage propertyReply(const QDBusMessage& call, const QString& interface,
                                      const QVariantMap& properties);

private:
    class Object;

    QString m_name;
    QString m_path;
    QDBusConnection m_connection;
    QThread m_thread;
    std::unique_ptr<Object> m_object;
    bool m_registered = false;
    mutable QMutex m_mutex;
    QList<QDBusMessage> m_calls;
};
