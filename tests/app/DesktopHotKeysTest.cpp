// SPDX-License-Identifier: GPL-3.0-or-later
// The hot keys as the desktop provides them: through its global shortcuts
// portal (a fake one on the private session bus) on a Wayland session, and
// through X11 grabs where another program holds a combination.
#include "app/Settings.h"
#include "hotkeys/HotKeyField.h"
#include "hotkeys/HotKeyTestSupport.h"
#include "hotkeys/PortalShortcutBackend.h"
#include "shell/HotKeyPreferences.h"
#include "shell/PreferencesView.h"
#include "support/AppFixture.h"
#include "support/FakeDBusService.h"
#include "support/PulseServer.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <atomic>

using PortalShortcut = PortalShortcutBackend::WireShortcut;

namespace {

const QString kPath = "/org/freedesktop/portal/desktop";
const QString kInterface = "org.freedesktop.portal.GlobalShortcuts";

// The desktop's portal as a test plays it: every request is answered at once;
// a bind reports the preferred triggers as the keys it bound or, with
// `refuse`, the user's cancel in the desktop's dialog.
class FakePortal
{
public:
    // Each bind's shortcuts as "id=preferred trigger".
    QList<QStringList> binds() const
    {
        QList<QStringList> binds;
        for (const QDBusMessage& call : m_service.calls())
            if (call.member() == "BindShortcuts") {
                binds.append(QStringList());
                for (const PortalShortcut& s : shortcuts(call))
                    binds.last() << s.id + "=" + s.properties["preferred_trigger"].toString();
            }
        return binds;
    }
    // The user pressed the shortcut.
    void activate(const QString& id)
    {
        QString session;
        for (const QDBusMessage& call : m_service.calls())
            if (call.member() == "CreateSession")
                session = path(call, "session", "session_handle_token");
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, "Activated");
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0)
               << QVariantMap();
        m_service.send(signal);
    }

    std::atomic<bool> refuse = false;

private:
    static QList<PortalShortcut> shortcuts(const QDBusMessage& call)
    {
        return qdbus_cast<QList<PortalShortcut>>(call.arguments().value(1));
    }
    // The object a request or session of the caller gets, named by its token.
    static QString path(const QDBusMessage& call, const QString& kind, const QString& token)
    {
        const QVariantMap options = qdbus_cast<QVariantMap>(call.arguments().constLast());
        return kPath + "/" + kind + "/" + call.service().mid(1).replace('.', '_') + "/" +
               options.value(token).toString();
    }
    QDBusMessage answer(const QDBusMessage& call)
    {
        if (call.interface() == "org.freedesktop.DBus.Properties")
            return FakeDBusService::propertyReply(call, kInterface, {{"version", 1u}});
        uint response = 0;
        QVariantMap results;
        if (call.member() == "CreateSession") {
            results["session_handle"] = path(call, "session", "session_handle_token");
        } else if (refuse) {
            response = 1;
        } else {
            QList<PortalShortcut> bound;
            for (const PortalShortcut& s : shortcuts(call))
                bound.append({s.id,
                              {{"trigger_description",
                                "Meta+" + s.properties["preferred_trigger"].toString()}}});
            results["shortcuts"] = QVariant::fromValue(bound);
        }
        const QString request = path(call, "request", "handle_token");
        QDBusMessage signal =
            QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        m_service.send(signal << response << results);
        return call.createReply(QVariant::fromValue(QDBusObjectPath(request)));
    }

    FakeDBusService m_service{"org.freedesktop.portal.Desktop", kPath,
                              "<interface name=\"" + kInterface + "\"/>",
                              [this](const QDBusMessage& call) { return answer(call); }};
};

class DesktopHotKeys : public AppFixture
{
protected:
    void configure(Settings& settings) override
    {
        settings.setInputDevice(PulseServer::instance().sineSourceDescription());
    }
    QString status() const { return window->prefView()->hotKeys()->statusLabel()->text(); }
};

class PortalHotKeys : public DesktopHotKeys
{
protected:
    void SetUp() override
    {
        qputenv("XDG_SESSION_TYPE", "wayland");
        DesktopHotKeys::SetUp();
        qunsetenv("XDG_SESSION_TYPE");
    }

    FakePortal portal;
};

} // namespace

TEST_F(PortalHotKeys, TheDesktopBindsTheKeysAndItsActivationsRecord)
{
    ASSERT_TRUE(waitUntil([&] { return status().startsWith("Provided by the desktop portal"); }))
        << status().toStdString();
    EXPECT_TRUE(status().contains("Meta+LOGO+SHIFT+r starts a new recording"));
    EXPECT_EQ(portal.binds(),
              (QList<QStringList>{{"record=LOGO+SHIFT+r", "continue=LOGO+SHIFT+c"}}));
    // No X11 grab beside the portal, where a press would come twice.
    EXPECT_TRUE(OtherXClient().canGrab(kXR, kXSuper | kXShift));

    portal.activate("record");
    ASSERT_TRUE(waitUntil([&] { return session->isRecording(); }));
    portal.activate("continue"); // stops it through the action that started it
    ASSERT_TRUE(waitUntil([&] { return !session->isRecording(); }));
    EXPECT_TRUE(database().contains("Title=\"Untitled 1\""));

    // The desktop is given the new preferred trigger; the user cancels its dialog.
    portal.refuse = true;
    ASSERT_TRUE(prefs->setHotKey(AppHotKeys::Action::Record, Qt::META | Qt::ALT | Qt::Key_R));
    ASSERT_TRUE(waitUntil([&] { return status().contains("cancelled in the desktop's dialog"); }))
        << status().toStdString();
    EXPECT_EQ(portal.binds().last(), (QStringList{"record=LOGO+ALT+r", "continue=LOGO+SHIFT+c"}));
    EXPECT_TRUE(messages.isEmpty());
}

class TakenHotKey : public DesktopHotKeys
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(other.grab(kXR, kXSuper | kXShift));
        DesktopHotKeys::SetUp();
    }

    OtherXClient other;
};

TEST_F(TakenHotKey, ThePreferencesNameItAndAnotherCombinationWorksAfterARestart)
{
    EXPECT_TRUE(status().startsWith("Super+Shift+R is taken by another program: choose another "
                                    "combination, or bind \"voicetray --record\""))
        << status().toStdString();

    // Super+Alt+R typed into the capture field, which hears every key meanwhile.
    HotKeyPreferences* prefs = window->prefView()->hotKeys();
    prefs->changeButton(0)->click();
    EXPECT_TRUE(other.canGrab(kXC, kXSuper | kXShift));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_R, Qt::MetaModifier | Qt::AltModifier, kXR, 0, 0,
                    "r");
    QApplication::sendEvent(prefs->field(0), &press);
    EXPECT_FALSE(prefs->changeButton(0)->isChecked());
    EXPECT_EQ(prefs->field(0)->text(), "Super+Alt+R");
    EXPECT_TRUE(status().startsWith("Provided by X11: Super+Alt+R starts"));

    for (bool recording : {true, false}) {
        XServer::instance().xdotool({"key", "super+alt+r"});
        ASSERT_TRUE(waitUntil([&] { return session->isRecording() == recording; }));
    }

    relaunch();
    EXPECT_EQ(window->prefView()->hotKeys()->field(0)->text(), "Super+Alt+R");
    EXPECT_FALSE(other.canGrab(kXR, kXSuper | kXAlt));
    other.ungrab(kXR, kXSuper | kXShift);
}

// The hot keys as an earlier version stored them, in the settings file it
// wrote; the rest of that file names the folders of the machine it ran on.
class EarlierSettings : public DesktopHotKeys
{
protected:
    void configure(Settings& settings) override
    {
        DesktopHotKeys::configure(settings);
        const QSettings earlier(VT_DATA_DIR "/VoiceTray.conf", QSettings::IniFormat);
        for (const char* key : {Settings::kRecordHotKey, Settings::kContinueHotKey})
            settings.store().setValue(key, earlier.value(key));
    }
};

TEST_F(EarlierSettings, TheChosenCombinationsComeBackAndAreStoredAnew)
{
    EXPECT_TRUE(status().startsWith(
        "Provided by X11: Super+Alt+R starts a new recording and Super+Ctrl+F5 continues"))
        << status().toStdString();
    EXPECT_FALSE(OtherXClient().canGrab(kXF5, kXSuper | kXControl));
    QSettings& store = app->settings().store();
    EXPECT_EQ(store.value(Settings::kRecordShortcut), "Meta+Alt+R");
    EXPECT_EQ(store.value(Settings::kContinueShortcut), "Meta+Ctrl+F5");
    // Left for the earlier version.
    EXPECT_TRUE(store.value(Settings::kRecordHotKey).toByteArray().contains("KeyCodeKey"));
}
