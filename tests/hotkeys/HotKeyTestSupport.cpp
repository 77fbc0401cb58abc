// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotKeyTestSupport.h"

#include "support/Wait.h"

#include <cstdlib>
#include <xcb/xcb.h>

namespace {

QStringList logged;
QtMessageHandler previousHandler = nullptr;

} // namespace

LogRecorder::LogRecorder()
{
    logged.clear();
    previousHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            logged << message;
            if (previousHandler)
                previousHandler(type, context, message);
        });
}

LogRecorder::~LogRecorder()
{
    qInstallMessageHandler(previousHandler);
}

int LogRecorder::count(const QString& message) const
{
    return int(logged.count(message));
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
    const xcb_window_t window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 100, 100, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(m_connection, window);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    // The window manager maps it asynchronously; focus it once it is viewable.
    waitUntil([&] {
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return viewable;
    });
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}
