// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusArgument;
class QDBusMessage;

// The desktop's global shortcuts portal (org.freedesktop.portal.GlobalShortcuts
// on the session bus): where the desktop offers it, a program binds named
// shortcuts in a session and hears when one is pressed, whatever window has
// the focus, on Wayland as on X11. The desktop may ask the user to confirm or
// change the keys. Every call is asynchronous; the answers come as signals.
// Main thread only.
class GlobalShortcutsPortal : public QObject
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

    struct Shortcut
    {
        QString id;
        QString description;
        // As freedesktop.org shortcut triggers are written ("LOGO+SHIFT+r"); may be empty.
        QString preferredTrigger;
    };
    // One shortcut as the portal's methods and answers carry it: (sa{sv}).
    struct WireShortcut
    {
        QString id;
        QVariantMap properties;
    };

    explicit GlobalShortcutsPortal(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                   QObject* parent = nullptr);
    ~GlobalShortcutsPortal() override;

    State state() const { return m_state; }
    // Asks once whether the desktop offers the portal: Probing, then Absent or Idle.
    void probe();
    // Binds the shortcuts in a new session (a bound one is closed first).
    void bind(const QList<Shortcut>& shortcuts);
    // Closes the session, so that the desktop lets go of the keys.
    void close();

    // The keys the desktop bound, by shortcut id, as the desktop describes
    // them (empty for a shortcut it left without keys).
    QMap<QString, QString> triggers() const { return m_triggers; }
    QString refusal() const { return m_refusal; }

signals:
    void stateChanged();
    // A bound shortcut was pressed.
    void activated(const QString& id);

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
    QList<Shortcut> m_shortcuts;
    QMap<QString, QString> m_triggers;
    QString m_refusal;
    int m_tokens = 0;
};

Q_DECLARE_METATYPE(GlobalShortcutsPortal::WireShortcut)
QDBusArgument& operator<<(QDBusArgument& argument, const GlobalShortcutsPortal::WireShortcut& s);
const QDBusArgument& operator>>(const QDBusArgument& argument,
                                GlobalShortcutsPortal::WireShortcut& s);
