// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/PortalShortcutBackend.h"

#include "hotkeys/HotKeysLog.h"
#include "hotkeys/Keysyms.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

using PortalShortcut = PortalShortcutBackend::WireShortcut;

// Portals answer a path as a string or as an object path.
QString pathOf(const QVariant& value)
{
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

// As freedesktop.org shortcut triggers are written: "LOGO+SHIFT+r"; empty for a key without a
// key symbol.
QString preferredTrigger(QKeyCombination keys)
{
    const QString key = Keysyms::name(keys);
    if (key.isEmpty())
        return {};
    QString trigger;
    for (const auto& [modifier, name] :
         {std::pair{Qt::MetaModifier, "LOGO+"}, std::pair{Qt::ControlModifier, "CTRL+"},
          std::pair{Qt::AltModifier, "ALT+"}, std::pair{Qt::ShiftModifier, "SHIFT+"}})
        if (keys.keyboardModifiers() & modifier)
            trigger += QLatin1String(name);
    return trigger + key;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

PortalShortcutBackend::PortalShortcutBackend(const QDBusConnection& bus, QObject* parent)
    : ShortcutBackend(parent), m_bus(bus)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalShortcutBackend::~PortalShortcutBackend()
{
    unbind();
}

void PortalShortcutBackend::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit changed();
}

void PortalShortcutBackend::probe()
{
    if (m_state != State::Unknown)
        return;
    if (!m_bus.isConnected()) {
        setState(State::Absent);
        return;
    }
    setState(State::Probing);
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (m_state != State::Probing)
            return;
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (reply.isError())
            qCInfo(lcHotKeys, "No global shortcuts portal: %s",
                   qPrintable(reply.error().message()));
        setState(reply.isError() ? State::Absent : State::Idle);
        if (m_state == State::Idle && std::exchange(m_bindAfterProbe, false))
            bind(m_shortcuts);
    });
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusMessage)));
}

void PortalShortcutBackend::bind(const QList<GlobalShortcut>& shortcuts)
{
    m_shortcuts = shortcuts;
    m_bindAfterProbe = m_state == State::Probing;
    if (m_state == State::Unknown || m_state == State::Probing || m_state == State::Absent)
        return;
    unbind();
    m_triggers.clear();
    m_refusal.clear();
    setState(State::Binding);
    const QString sessionToken = nextToken();
    request(Step::CreateSession, QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"), sessionToken}});
}

void PortalShortcutBackend::forgetRequests()
{
    for (auto it = m_requests.cbegin(); it != m_requests.cend(); ++it)
        m_bus.disconnect(kService, it.key(), kRequestInterface, QStringLiteral("Response"), this,
                         SLOT(onResponse(QDBusMessage)));
    m_requests.clear();
}

void PortalShortcutBackend::unbind()
{
    m_bindAfterProbe = false;
    // Answers still on their way belong to the closed session.
    forgetRequests();
    if (!m_session.isEmpty()) {
        m_bus.asyncCall(QDBusMessage::createMethodCall(kService, m_session, kSessionInterface,
                                                       QStringLiteral("Close")));
        m_session.clear();
    }
    if (m_state == State::Binding || m_state == State::Bound || m_state == State::Refused)
        setState(State::Idle);
}

QString PortalShortcutBackend::keys(const QString& id) const
{
    return m_state == State::Bound ? m_triggers.value(id) : QString();
}

QString PortalShortcutBackend::nextToken()
{
    return QStringLiteral("voicetray%1").arg(++m_tokens);
}

QString PortalShortcutBackend::requestPath(const QString& token) const
{
    // The portal names a request after the caller's unique name and the token.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

void PortalShortcutBackend::request(Step step, const QString& method, const QVariantList& arguments,
                                    QVariantMap options)
{
    const QString token = nextToken();
    options.insert(QStringLiteral("handle_token"), token);
    const QString expected = requestPath(token);
    m_requests.insert(expected, step);
    m_bus.connect(kService, expected, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(QDBusMessage)));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments + QVariantList{options});
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, step, expected](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (!m_requests.contains(expected))
                    return; // closed meanwhile
                const QDBusPendingReply<QDBusObjectPath> reply = *w;
                if (reply.isError()) {
                    refuse(reply.error().message());
                    return;
                }
                // An older portal may name the request otherwise.
                const QString handle = reply.value().path();
                if (handle != expected && !m_requests.contains(handle)) {
                    m_requests.insert(handle, step);
                    m_bus.connect(kService, handle, kRequestInterface, QStringLiteral("Response"),
                                  this, SLOT(onResponse(QDBusMessage)));
                }
            });
}

void PortalShortcutBackend::onResponse(const QDBusMessage& message)
{
    const auto it = m_requests.constFind(message.path());
    if (it == m_requests.cend())
        return;
    const Step step = it.value();
    forgetRequests();
    const uint response = message.arguments().value(0).toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(message.arguments().value(1));
    if (step == Step::CreateSession)
        createSessionAnswered(response, results);
    else
        bindAnswered(response, results);
}

void PortalShortcutBackend::createSessionAnswered(uint response, const QVariantMap& results)
{
    m_session = pathOf(results.value(QStringLiteral("session_handle")));
    if (response != 0 || m_session.isEmpty()) {
        refuse(response == 1 ? tr("the desktop cancelled the session")
                             : tr("the desktop gave no session"));
        return;
    }
    QList<PortalShortcut> shortcuts;
    for (const GlobalShortcut& s : std::as_const(m_shortcuts)) {
        QVariantMap properties{{QStringLiteral("description"), s.description}};
        if (const QString trigger = preferredTrigger(s.keys); !trigger.isEmpty())
            properties.insert(QStringLiteral("preferred_trigger"), trigger);
        shortcuts.append({s.id, properties});
    }
    request(Step::BindShortcuts, QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts),
             QString()},
            {});
}

void PortalShortcutBackend::bindAnswered(uint response, const QVariantMap& results)
{
    if (response != 0) {
        refuse(response == 1 ? tr("cancelled in the desktop's dialog")
                             : tr("the desktop ended the request"));
        return;
    }
    const QVariant bound = results.value(QStringLiteral("shortcuts"));
    const auto list = bound.canConvert<QDBusArgument>()
                          ? qdbus_cast<QList<PortalShortcut>>(bound.value<QDBusArgument>())
                          : bound.value<QList<PortalShortcut>>();
    for (const PortalShortcut& s : list)
        m_triggers.insert(s.id,
                          s.properties.value(QStringLiteral("trigger_description")).toString());
    setState(State::Bound);
}

void PortalShortcutBackend::refuse(const QString& reason)
{
    qCWarning(lcHotKeys, "The desktop did not bind the shortcuts: %s", qPrintable(reason));
    forgetRequests();
    m_refusal = reason;
    setState(State::Refused);
}

void PortalShortcutBackend::onActivated(const QDBusMessage& message)
{
    // (session handle, shortcut id, timestamp, options)
    const QVariantList args = message.arguments();
    if (m_state == State::Bound && pathOf(args.value(0)) == m_session)
        emit activated(args.value(1).toString());
}
