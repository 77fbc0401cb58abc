// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandDispatcher.h"

#include "app/AppLog.h"
#include "app/CommandLine.h"
#include "shell/CustomView.h"
#include "shell/WindowController.h"
#include "widgets/AttachedWindow.h"

#include <QTimer>

namespace {

// Tries, 20 ms apart, for the tray to take the icon in, as at start-up.
constexpr int kPlacingTries = 100;
constexpr int kPlacingIntervalMs = 20;

} // namespace

CommandDispatcher::CommandDispatcher(WindowController& window, QObject* parent)
    : QObject(parent), m_window(window)
{
}

int CommandDispatcher::perform(const QStringList& commands)
{
    int done = 0;
    for (const QString& command : commands) {
        // As with the hot keys, while something records either word stops it.
        if (command == QLatin1String(CommandLine::kRecord))
            m_window.toggleRecording(false);
        else if (command == QLatin1String(CommandLine::kContinue))
            m_window.toggleRecording(true);
        else if (command == QLatin1String(CommandLine::kShow))
            showWindow();
        else {
            qCWarning(lcApp, "Unknown command \"%s\"", qPrintable(command));
            continue;
        }
        ++done;
    }
    return done;
}

void CommandDispatcher::commandsReceived(const QStringList& commands)
{
    perform(commands.isEmpty() ? QStringList{QString::fromLatin1(CommandLine::kShow)} : commands);
}

void CommandDispatcher::showWindow()
{
    // Until its tray has taken it in, the icon does not know its place: on a
    // first start the window would hang from the screen's corner.
    CustomView* view = m_window.statusView();
    if (view && !view->isPlaced() && ++m_placingTries < kPlacingTries) {
        QTimer::singleShot(kPlacingIntervalMs, this, &CommandDispatcher::showWindow);
        return;
    }
    QWidget* window = m_window.window();
    if (m_window.statusView() && !(window && window->isVisible())) {
        m_window.statusView()->showWindow();
        window = m_window.window();
    } else if (!m_window.statusView()) {
        // Also while VoiceTray still waits for a tray: the user asked for the window.
        window = m_window.showPlainWindow();
    }
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}
