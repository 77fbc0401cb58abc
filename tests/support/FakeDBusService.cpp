// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeDBusService.h"

#include <QDBusConnectionInterface>
#include <QDBusVirtualObject>
#include <QMutexLocker>

class FakeDBusService::Object : public QDBusVirtualObject
{
public:
    Object(FakeDBusService* service, QString introspection, Handler handler)
        : m_service(service), m_introspection(std::move(introspection)),
          m_handler(std::move(handler))
    {
    }
    QString introspect(const QString&) const override { return m_introspection; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        // Introspection is answered by the bus library from introspect().
        if (message.type() != QDBusMessage::MethodCallMessage ||
            message.interface() == QLatin1String("org.freedesktop.DBus.Introspectable"))
            return false;
        {
            QMutexLocker lock(&m_service->m_mutex);
            m_service->m_calls << message;
        }
        QDBusConnection(connection).send(m_handler(message));
        return true;
    }

private:
    FakeDBusService* m_service;
    QString m_introspection;
    Handler m_handler;
};

FakeDBusService::FakeDBusService(const QString& name)
    : m_name(name), m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                               QStringLiteral("fake ") + name))
{
    m_thread.start();
}

FakeDBusService::~FakeDBusService()
{
    m_connection.unregisterService(m_name);
    for (auto [path, object] : std::as_const(m_objects)) {
        m_connection.unregisterObject(path);
        object->deleteLater();
    }
    m_thread.quit();
    m_thread.wait();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake ") + m_name);
}

void FakeDBusService::addObject(const QString& path, const QString& introspection, Handler handler)
{
    auto* object = new Object(this, introspection, std::move(handler));
    object->moveToThread(&m_thread);
    m_objects.append({path, object});
    m_connection.registerVirtualObject(path, object);
}

bool FakeDBusService::registerName()
{
    return m_connection.registerService(m_name);
}

bool FakeDBusService::send(const QDBusMessage& message)
{
    return m_connection.send(message);
}

QList<QDBusMessage> FakeDBusService::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QDBusMessage FakeDBusService::propertyReply(const QDBusMessage& call, const QString& interface,
                                            const QVariantMap& properties)
{
    const QVariantList args = call.arguments();
    if (call.member() == QLatin1String("Get") && args.value(0).toString() == interface &&
        properties.contains(args.value(1).toString()))
        return call.createReply(
            QVariant::fromValue(QDBusVariant(properties.value(args.value(1).toString()))));
    if (call.member() == QLatin1String("GetAll") && args.value(0).toString() == interface)
        return call.createReply(properties);
    return call.createErrorReply(QDBusError::UnknownProperty, QStringLiteral("no such property"));
}
