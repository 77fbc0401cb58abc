// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeDBusService.h"

#include <QDBusVariant>
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

FakeDBusService::FakeDBusService(const QString& name, const QString& path,
                                 const QString& introspection, Handler handler)
    : m_name(name), m_path(path),
      m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake " + name)),
      m_object(std::make_unique<Object>(this, introspection, std::move(handler)))
{
    m_thread.start();
    m_object->moveToThread(&m_thread);
    m_connection.registerVirtualObject(path, m_object.get());
    m_registered = m_connection.registerService(name);
}

FakeDBusService::~FakeDBusService()
{
    m_connection.unregisterService(m_name);
    m_connection.unregisterObject(m_path);
    m_thread.quit();
    m_thread.wait();
    QDBusConnection::disconnectFromBus("fake " + m_name);
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
    const QString name = args.value(1).toString();
    if (args.value(0).toString() != interface)
        return call.createErrorReply(QDBusError::UnknownInterface, interface);
    if (call.member() == QLatin1String("GetAll"))
        return call.createReply(properties);
    if (!properties.contains(name))
        return call.createErrorReply(QDBusError::UnknownProperty, name);
    return call.createReply(QVariant::fromValue(QDBusVariant(properties.value(name))));
}
