// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/ShortcutBackend.h"

#include <QDBusConnection>
#include <QHash>
#include <QMap>
#include <QVariantMap>

class QDBusArgument;
class QDBusMessage;

// The desktop's global shortcuts portal (org.freedesktop.portal.GlobalShortcuts
// on the session bus): where the desktop offers it, a program binds named
// shortcuts in a session and hears when one is pressed, whatever window has
// the focus, on Wayland as on X11. The desktop may ask the user to confirm or
// change the keys, and keys() tells the ones it bound. Every call is
// asynchronous; the answers come as signals. Main thread only.
class PortalShortcutBackend : public ShortcutBackend
{
    Q_OBJECT
public:
    enum class State
    {
        Unknown, // not asked yet
        Probing, // asking whether the desktop offers the portal
        Absent,  // no portal, or one without global shortcuts
        Idle,    // offered; nothing bound
        Binding, // waiting for the desktop (and perhaps its dialog)
        Bound,   // the shortcuts are bound; triggers() tells the keys
        Refused  // the desktop did not bind them; refusal() tells why
    };

    // One shortcut as the portal's methods and answers carry it: (sa{sv}).
    struct WireShortcut
    {
        QString id;
        QVariantMap properties;
    };

    explicit PortalShortcutBackend(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                   QObject* parent = nullptr);
    ~PortalShortcutBackend() override;

    State state() const { return m_state; }
    // Asks once whether the desktop offers the portal: Probing, then Absent or Idle.
    void probe();
    // Binds the shortcuts in a new session (a bound one is closed first);
    // while probing, once the desktop has answered.
    void bind(const QList<GlobalShortcut>& shortcuts) override;
    // Closes the session, so that the desktop lets go of the keys.
    void unbind() override;
    // As the desktop describes the keys it bound (empty for a shortcut it
    // left without keys), while they are bound.
    QString keys(const QString& id) const override;
    QString refusal() const { return m_refusal; }

private slots:
    void onResponse(const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);

private:
    enum class Step
    {
        CreateSession,
        BindShortcuts
    };

    void setState(State state);
    // Calls a portal method whose answer comes as a Response signal on a
    // request object named by a fresh token, listening there before the call.
    void request(Step step, const QString& method, const QVariantList& arguments,
                 QVariantMap options);
    void createSessionAnswered(uint response, const QVariantMap& results);
    void bindAnswered(uint response, const QVariantMap& results);
    void refuse(const QString& reason);
    // Stops listening for the answers of the requests on their way.
    void forgetRequests();
    QString requestPath(const QString& token) const;
    QString nextToken();

    QDBusConnection m_bus;
    State m_state = State::Unknown;
    QHash<QString, Step> m_requests; // request path -> what it answers
    QString m_session;
    QList<GlobalShortcut> m_shortcuts;
    bool m_bindAfterProbe = false;
    QMap<QString, QString> m_triggers;
    QString m_refusal;
    int m_tokens = 0;
};

Q_DECLARE_METATYPE(PortalShortcutBackend::WireShortcut)
QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcutBackend::WireShortcut& s);
const QDBusArgument& operator>>(const QDBusArgument& argument,
                                PortalShortcutBackend::WireShortcut& s);
