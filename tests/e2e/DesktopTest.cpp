// SPDX-License-Identifier: GPL-3.0-or-later
// VoiceTray on the desktops of today, as a user meets it: a panel that starts
// after it at any edge of the screen, a StatusNotifier tray (a fake watcher
// with its host on a private session bus, and xfce4-panel's real one) and a
// Wayland session (Weston, headless, with XWayland).
#include "support/Artefacts.h"
#include "support/ChildProcess.h"
#include "support/FakeDBusService.h"
#include "support/VoiceTrayProcess.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

using Edge = XServer::TrayEdge;

namespace {

class Placement : public ::testing::TestWithParam<Edge>
{
};

} // namespace

TEST_P(Placement, ThePlainWindowMovesToALaterTrayAndHangsFromItsIconInsideTheWorkArea)
{
    const Edge edge = GetParam();
    XServer& x = XServer::instance();
    VoiceTrayProcess app;
    app.setSetting("HideDescrWnd", false);
    // VoiceTray waits for a tray; "--show" opens the plain window meanwhile, the editor beside it.
    ASSERT_TRUE(app.start({"--show"}));
    QRect editor, plain = app.popupFrame();
    ASSERT_TRUE(waitUntil([&] { return !(editor = app.editorFrame()).isNull(); }));
    EXPECT_TRUE(app.trayIconFrame().isNull());
    EXPECT_TRUE(editor.right() < plain.left() && plain.left() - editor.right() < 30);
    EXPECT_LT(std::abs(editor.top() - plain.top()), 30);

    // The panel comes: the pop-up, the only main window now, hangs from the
    // icon 5 pixels away, inside the work area; the editor beside it.
    ASSERT_TRUE(x.startTray(edge));
    QRect work, icon, popup;
    const auto show = [](QRect r) {
        return QString("%1,%2 %3x%4")
            .arg(r.x())
            .arg(r.y())
            .arg(r.width())
            .arg(r.height())
            .toStdString();
    };
    auto hangs = [&] {
        switch (edge) {
        case Edge::Bottom:
            return popup.bottom() + 1 + 5 == icon.top();
        case Edge::Left:
            return popup.left() - 5 == icon.right() + 1;
        default:
            return popup.right() + 1 + 5 == icon.left();
        }
    };
    EXPECT_TRUE(waitUntil([&] {
        work = x.workArea();
        icon = app.trayIconFrame();
        popup = app.popupFrame();
        editor = app.editorFrame();
        return !icon.isNull() && app.mainWindowFrames().size() == 1 && hangs() &&
               !editor.isNull() && !editor.intersects(popup) && work.contains(popup);
    })) << "work area "
        << show(work) << ", icon " << show(icon) << ", pop-up " << show(popup) << ", editor "
        << show(editor) << ", main windows " << app.mainWindowFrames().size();
    EXPECT_TRUE(work.contains(editor));
    if (HasFailure())
        x.screenshot(artefact(QString("placement-failure-%1.png").arg(int(edge))));
}

INSTANTIATE_TEST_SUITE_P(Edges, Placement,
                         ::testing::Values(Edge::Bottom, Edge::Left, Edge::Right));

namespace {

// A StatusNotifier tray at the bottom: a fake watcher with its host beside
// trayer, or xfce4-panel's own tray.
class StatusNotifierTray : public ::testing::TestWithParam<bool>
{
};

} // namespace

TEST_P(StatusNotifierTray, ThePopUpHangsFromTheWorkAreasCornerOnThePanelsSide)
{
    const bool realPanel = GetParam();
    const QString watcherName = "org.kde.StatusNotifierWatcher";
    std::unique_ptr<FakeDBusService> watcher;
    if (!realPanel) {
        watcher = std::make_unique<FakeDBusService>(
            watcherName, "/StatusNotifierWatcher",
            "<interface name=\"" + watcherName +
                "\"><property name=\"IsStatusNotifierHostRegistered\""
                " type=\"b\" access=\"read\"/></interface>",
            [&](const QDBusMessage& call) {
                if (call.interface() == "org.freedesktop.DBus.Properties")
                    return FakeDBusService::propertyReply(
                        call, watcherName, {{"IsStatusNotifierHostRegistered", true}});
                return call.createReply(); // RegisterStatusNotifierItem
            });
        ASSERT_TRUE(watcher->isRegistered());
    }
    // The item that registered with the watcher, as its service name.
    auto item = [&] {
        QString registered;
        if (watcher) {
            for (const QDBusMessage& call : watcher->calls())
                if (call.member() == "RegisterStatusNotifierItem")
                    registered = call.arguments().value(0).toString();
            return registered;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(watcherName, "/StatusNotifierWatcher",
                                                          "org.freedesktop.DBus.Properties", "Get");
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            get << watcherName << QString("RegisteredStatusNotifierItems"));
        const QStringList items =
            reply.arguments().value(0).value<QDBusVariant>().variant().toStringList();
        return items.isEmpty() ? QString() : items.front().section('/', 0, 0);
    };
    // The panel's host reports a click on the item.
    auto click = [&] {
        QDBusMessage activate = QDBusMessage::createMethodCall(
            item(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate");
        return QDBusConnection::sessionBus().call(activate << 0 << 0).type() ==
               QDBusMessage::ReplyMessage;
    };

    // A panel at the bottom that reserves its strip; Qt takes the D-Bus tray
    // over its XEmbed one, and that does not tell where the icon is.
    XServer& x = XServer::instance();
    ASSERT_TRUE(realPanel ? x.startPanel() : x.startTray(Edge::Bottom));
    QRect work;
    ASSERT_TRUE(waitUntil([&] { return (work = x.workArea()).height() < 800; }));
    VoiceTrayProcess app;
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(waitUntil([&] { return !item().isEmpty(); }));
    EXPECT_TRUE(app.trayIconFrame().isNull());
    const QRect corner = app.popupFrame();
    EXPECT_EQ(corner.right(), work.right());
    EXPECT_EQ(corner.bottom() + 1 + 5, work.bottom() + 1);

    // A click on the item closes it; "--show" opens it at the corner again, not at the pointer.
    x.xdotool({"mousemove", "300", "300"});
    ASSERT_TRUE(click());
    ASSERT_TRUE(waitUntil([&] { return app.popupFrame().isNull(); }));
    EXPECT_EQ(app.run({"--show"}), 0);
    EXPECT_TRUE(waitUntil([&] { return app.popupFrame() == corner; }));
    if (HasFailure())
        x.screenshot(artefact(QString("status-notifier-failure-%1.png").arg(realPanel)));
}

INSTANTIATE_TEST_SUITE_P(Trays, StatusNotifierTray, ::testing::Values(false, true));

TEST(Wayland, VoiceTrayRunsThroughXWayland)
{
    // Weston without a screen; XWayland starts for the first X client.
    const QString socket = QString("vt-wayland-%1").arg(QCoreApplication::applicationPid());
    const QString log = artefact(socket + ".log");
    QFile::remove(log);
    pid_t weston = spawnChild({"weston", "--backend=headless-backend.so", "--socket=" + socket,
                               "--xwayland", "--idle-time=0", "--log=" + log});
    QString display;
    ASSERT_TRUE(waitUntil([&] {
        QFile file(log);
        const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const qsizetype at = text.indexOf("xserver listening on display ");
        display = at < 0 ? QString() : QString(text.mid(at + 29).split('\n').value(0)).trimmed();
        return !display.isEmpty();
    }));

    VoiceTrayProcess app;
    for (auto [name, value] :
         {std::pair{"WAYLAND_DISPLAY", socket}, std::pair{"XDG_SESSION_TYPE", QString("wayland")},
          std::pair{"DISPLAY", display}, std::pair{"QT_QPA_PLATFORM", QString()}})
        app.setEnvironment(name, value);
    ASSERT_TRUE(app.start({"--show"}, false));
    // Its window shows on XWayland's display: Qt's X11 platform was chosen.
    QProcess xdotool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    xdotool.setProcessEnvironment(env);
    EXPECT_TRUE(waitUntil([&] {
        xdotool.start("xdotool", {"search", "--onlyvisible", "--class", "voicetray"});
        return xdotool.waitForFinished(10000) && !xdotool.readAllStandardOutput().isEmpty();
    }));
    stopChild(weston);
}
