// SPDX-License-Identifier: GPL-3.0-or-later
// VoiceTray on the desktops of today, as a user meets it: a panel at any
// edge of the screen, a tray that starts after VoiceTray, a StatusNotifier
// tray (a fake watcher with its host on a private session bus) and a Wayland
// session (Weston, headless, with XWayland).
#include "e2e/VoiceTrayProcess.h"
#include "support/Artefacts.h"
#include "support/ChildProcess.h"
#include "support/FakeDBusService.h"
#include "support/Wait.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

using Edge = XServer::TrayEdge;

namespace {

// Where the pop-up's arrow lies along its edge: the middle of the window's
// pixels on a line across its arrow strip, 8 pixels in from the tip; -1
// while the screen does not show it.
int arrowAlong(const QRect& popup, Edge edge)
{
    QImage screen;
    const QString shot = artefact("desktop-arrow.png");
    if (!XServer::instance().screenshot(shot) || !screen.load(shot))
        return -1;
    const bool row = edge == Edge::Top || edge == Edge::Bottom;
    int first = -1;
    int last = -1;
    for (int i = 0; i < (row ? popup.width() : popup.height()); ++i) {
        const QPoint p = row ? QPoint(popup.left() + i,
                                      edge == Edge::Bottom ? popup.bottom() - 8 : popup.top() + 8)
                             : QPoint(edge == Edge::Left ? popup.left() + 8 : popup.right() - 8,
                                      popup.top() + i);
        if (qGray(screen.pixel(p)) > 8) {
            first = first < 0 ? i : first;
            last = i;
        }
    }
    return first < 0 ? -1 : (row ? popup.left() : popup.top()) + (first + last) / 2;
}

class Placement : public ::testing::TestWithParam<Edge>
{
};

} // namespace

TEST_P(Placement, ThePopUpLiesInTheWorkAreaWithItsArrowAtTheIconAndTheEditorOnTheScreen)
{
    const Edge edge = GetParam();
    XServer& x = XServer::instance();
    ASSERT_TRUE(x.startTray(edge));
    QRect work;
    ASSERT_TRUE(
        waitUntil([&] { return (work = x.workArea()).width() * work.height() < 1280 * 800; }));
    VoiceTrayProcess app;
    app.setSetting("HideDescrWnd", false);
    ASSERT_TRUE(app.start());
    QRect icon, popup, editor;
    ASSERT_TRUE(waitUntil([&] {
        icon = app.trayIconFrame();
        popup = app.popupFrame();
        editor = app.editorFrame();
        return !icon.isNull() && !editor.isNull();
    }));
    EXPECT_TRUE(work.contains(popup)) << popup.x() << "," << popup.y();
    EXPECT_TRUE(work.contains(editor)) << editor.x() << "," << editor.y();
    EXPECT_FALSE(editor.intersects(popup));

    // The arrow's tip is 5 pixels from the icon, and the arrow lies along the icon.
    int along = -1;
    EXPECT_TRUE(waitUntil([&] { return (along = arrowAlong(popup, edge)) >= 0; }));
    if (edge == Edge::Bottom) {
        EXPECT_EQ(popup.bottom() + 1 + 5, icon.top());
        EXPECT_TRUE(along >= icon.left() && along <= icon.right()) << along;
    } else {
        EXPECT_EQ(edge == Edge::Left ? popup.left() - 5 : popup.right() + 1 + 5,
                  edge == Edge::Left ? icon.right() + 1 : icon.left());
        EXPECT_TRUE(along >= icon.top() && along <= icon.bottom()) << along;
    }
    if (HasFailure())
        x.screenshot(artefact(QString("placement-failure-%1.png").arg(int(edge))));
}

INSTANTIATE_TEST_SUITE_P(Edges, Placement,
                         ::testing::Values(Edge::Bottom, Edge::Left, Edge::Right));

TEST(TrayLater, ThePlainWindowMovesToATrayThatStartsLater)
{
    VoiceTrayProcess app;
    app.setSetting("HideDescrWnd", false);
    // Waiting for a tray, VoiceTray shows nothing, but the user's "--show"
    // opens the plain window at once, with the editor beside it.
    ASSERT_TRUE(app.start({"--show"}));
    QRect plain, editor;
    ASSERT_TRUE(waitUntil([&] { return !(editor = app.editorFrame()).isNull(); }));
    plain = app.popupFrame();
    EXPECT_TRUE(app.trayIconFrame().isNull());
    EXPECT_LT(std::abs(editor.top() - plain.top()), 30);
    EXPECT_TRUE(editor.right() < plain.left()
                    ? plain.left() - editor.right() < 30
                    : editor.left() - plain.right() < 30 && editor.left() > plain.right());

    ASSERT_TRUE(XServer::instance().startTray());
    QRect icon;
    ASSERT_TRUE(waitUntil([&] { return !(icon = app.trayIconFrame()).isNull(); }));
    // The only main window is now the pop-up under the icon.
    EXPECT_TRUE(waitUntil([&] {
        const QList<QRect> windows = app.mainWindowFrames();
        return windows.size() == 1 && windows[0].top() == icon.bottom() + 1 + 5;
    }));
    if (HasFailure())
        XServer::instance().screenshot(artefact("tray-later-failure.png"));
}

namespace {

// The StatusNotifier watcher of a desktop whose panel hosts the items.
class FakeStatusNotifierWatcher
{
public:
    FakeStatusNotifierWatcher()
    {
        const QString xml = QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg type=\"s\" "
            "direction=\"in\"/></method>"
            "<property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/></interface>");
        m_service.addObject("/StatusNotifierWatcher", xml, [](const QDBusMessage& call) {
            if (call.interface() == QLatin1String("org.freedesktop.DBus.Properties"))
                return FakeDBusService::propertyReply(
                    call, "org.kde.StatusNotifierWatcher",
                    {{"IsStatusNotifierHostRegistered", true},
                     {"ProtocolVersion", 0},
                     {"RegisteredStatusNotifierItems", QStringList()}});
            return call.createReply();
        });
        EXPECT_TRUE(m_service.registerName());
    }
    // The bus names of the items registered so far.
    QStringList items() const
    {
        QStringList items;
        for (const QDBusMessage& call : m_service.calls())
            if (call.member() == QLatin1String("RegisterStatusNotifierItem"))
                items << call.arguments().value(0).toString();
        return items;
    }
    // The panel's host reports a click on the item.
    void click() const
    {
        QDBusMessage activate = QDBusMessage::createMethodCall(
            items().value(0), "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate");
        activate << 0 << 0;
        QDBusConnection::sessionBus().call(activate);
    }

private:
    FakeDBusService m_service{QStringLiteral("org.kde.StatusNotifierWatcher")};
};

} // namespace

TEST(StatusNotifierTray, ThePopUpHangsFromTheWorkAreasCornerOnThePanelsSide)
{
    FakeStatusNotifierWatcher watcher;
    XServer& x = XServer::instance();
    // A panel at the bottom that reserves its strip; Qt takes the D-Bus tray over the XEmbed one.
    ASSERT_TRUE(x.startTray(Edge::Bottom));
    QRect work;
    ASSERT_TRUE(waitUntil([&] { return (work = x.workArea()).height() == 770; }));
    VoiceTrayProcess app;
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(waitUntil([&] { return !watcher.items().isEmpty(); }));
    EXPECT_TRUE(app.trayIconFrame().isNull());
    const QRect corner = app.popupFrame();
    EXPECT_EQ(corner.right(), work.right());
    EXPECT_EQ(corner.bottom() + 1 + 5, work.bottom() + 1);

    // A click on the item closes it; "--show" opens it at the corner again,
    // not at the pointer.
    x.xdotool({"mousemove", "300", "300"});
    watcher.click();
    ASSERT_TRUE(waitUntil([&] { return app.popupFrame().isNull(); }));
    EXPECT_EQ(app.run({"--show"}), 0);
    EXPECT_TRUE(waitUntil([&] { return app.popupFrame() == corner; }));

    // A click tells where on the panel the icon is.
    watcher.click();
    ASSERT_TRUE(waitUntil([&] { return app.popupFrame().isNull(); }));
    x.xdotool({"mousemove", "500", "785"});
    watcher.click();
    ASSERT_TRUE(waitUntil([&] { return !app.popupFrame().isNull(); }));
    EXPECT_NEAR(app.popupFrame().center().x(), 500, 1);
    if (HasFailure())
        x.screenshot(artefact("status-notifier-failure.png"));
}

namespace {

// A Wayland session without a screen: Weston's headless backend, with
// XWayland started for the first X client.
class Weston
{
public:
    Weston()
        : m_socket(QString("vt-wayland-%1").arg(QCoreApplication::applicationPid())),
          m_log(artefact(m_socket + ".log"))
    {
        QFile::remove(m_log);
        m_pid = spawnChild({"weston", "--backend=headless-backend.so", "--socket=" + m_socket,
                            "--xwayland", "--idle-time=0", "--log=" + m_log});
    }
    ~Weston() { stopChild(m_pid); }
    QString socket() const { return m_socket; }
    // XWayland's display, once Weston listens for X clients.
    QString xDisplay() const
    {
        QString display;
        waitUntil([&] {
            QFile log(m_log);
            const QByteArray text = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
            const int at = text.indexOf("xserver listening on display ");
            if (at >= 0)
                display = QString::fromLatin1(text.mid(at + 29).split('\n').value(0)).trimmed();
            return !display.isEmpty();
        });
        return display;
    }

private:
    QString m_socket;
    QString m_log;
    pid_t m_pid = -1;
};

} // namespace

TEST(Wayland, VoiceTrayRunsThroughXWayland)
{
    Weston weston;
    const QString display = weston.xDisplay();
    ASSERT_FALSE(display.isEmpty());
    VoiceTrayProcess app;
    app.setEnvironment("WAYLAND_DISPLAY", weston.socket());
    app.setEnvironment("XDG_SESSION_TYPE", "wayland");
    app.setEnvironment("DISPLAY", display);
    app.setEnvironment("QT_QPA_PLATFORM", "");
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
}
