// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotKeyTestSupport.h"

#include "hotkeys/HxHotKeyEvent.h"
#include "support/Wait.h"

#include <cstdlib>
#include <xcb/xcb.h>

AssertionRecorder::AssertionRecorder()
{
    m_previous = HxAssertion::setHandler([this](const QString& message, const QString&,
                                                const QString&) { messages.append(message); });
}

AssertionRecorder::~AssertionRecorder()
{
    HxAssertion::setHandler(m_previous);
}

namespace {

QStringList& logged()
{
    static QStringList messages;
    return messages;
}

QtMessageHandler& previousHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

void recordMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    logged().append(message);
    if (previousHandler())
        previousHandler()(type, context, message);
}

} // namespace

LogRecorder::LogRecorder()
{
    logged().clear();
    previousHandler() = qInstallMessageHandler(recordMessage);
}

LogRecorder::~LogRecorder()
{
    qInstallMessageHandler(previousHandler());
}

QStringList LogRecorder::messages() const
{
    return logged();
}

int LogRecorder::count(const QString& message) const
{
    return int(logged().count(message));
}

void RecordingController::startStopRecording(QObject*)
{
    actions.append(QStringLiteral("startStopRecording"));
    setState(!m_recording, false);
}

void RecordingController::resumeStopRecording(QObject*)
{
    actions.append(QStringLiteral("resumeStopRecording"));
    setState(!m_recording, !m_recording);
}

void RecordingController::setState(bool recording, bool continuation)
{
    m_recording = recording;
    m_continuation = continuation;
}

RecordingTarget::RecordingTarget(QStringList handled) : m_handled(std::move(handled)) {}

void RecordingTarget::performAction(const QString& action, HxHotKeyEvent* hotKey)
{
    received.append(action + QLatin1Char('/') + QString::number(hotKey->currentEventType()));
}

OtherXClient::OtherXClient() : m_connection(xcb_connect(nullptr, nullptr))
{
    if (!xcb_connection_has_error(m_connection))
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

OtherXClient::~OtherXClient()
{
    xcb_disconnect(m_connection);
}

bool OtherXClient::grab(quint8 xKeycode, quint16 mods)
{
    xcb_generic_error_t* error = xcb_request_check(
        m_connection, xcb_grab_key_checked(m_connection, 0, m_root, mods, xKeycode,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

void OtherXClient::ungrab(quint8 xKeycode, quint16 mods)
{
    xcb_ungrab_key(m_connection, xKeycode, m_root, mods);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

bool OtherXClient::canGrab(quint8 xKeycode, quint16 mods)
{
    if (!grab(xKeycode, mods))
        return false;
    ungrab(xKeycode, mods);
    return true;
}

void OtherXClient::showFocusedWindow()
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 100, 100, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(m_connection, m_window);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    // The window manager maps it asynchronously; focus it once it is viewable.
    waitUntil([this] {
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, m_window), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return viewable;
    });
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_window, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}
