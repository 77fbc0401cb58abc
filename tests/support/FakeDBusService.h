// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QThread>
#include <functional>

// A desktop service written by a test: it owns a name on the session bus and
// answers the method calls to its objects on a thread of its own, so that the
// program under test may call it with blocking calls from its main thread.
// Construct and use it on the test's main thread; the handlers run on the
// service's thread.
class FakeDBusService
{
public:
    // Answers one method call with the reply to send (an error reply too).
    using Handler = std::function<QDBusMessage(const QDBusMessage& call)>;

    explicit FakeDBusService(const QString& name);
    ~FakeDBusService();
    FakeDBusService(const FakeDBusService&) = delete;
    FakeDBusService& operator=(const FakeDBusService&) = delete;

    // Serves an object: the introspection data lists its interfaces
    // (<interface> elements) for callers that introspect first.
    void addObject(const QString& path, const QString& introspection, Handler handler);
    // Claims the name; false when the bus refused it.
    bool registerName();
    // Sends a message (a signal, say) from the service's connection; any thread.
    bool send(const QDBusMessage& message);
    // Every method call received so far, in order.
    QList<QDBusMessage> calls() const;
    // The answer to Properties.Get or GetAll for the interface from a table of
    // its properties; an error for any other property.
    static QDBusMessage propertyReply(const QDBusMessage& call, const QString& interface,
                                      const QVariantMap& properties);

private:
    class Object;

    QString m_name;
    QDBusConnection m_connection;
    QThread m_thread;
    QList<QPair<QString, Object*>> m_objects;
    mutable QMutex m_mutex;
    QList<QDBusMessage> m_calls;
};
