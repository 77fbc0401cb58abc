// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandDispatcher.h"

#include "app/AppLog.h"
#include "app/CommandLine.h"
#include "library/RecItem.h"
#include "session/RecordingSession.h"
#include "shell/CustomView.h"
#include "shell/WindowController.h"
#include "widgets/AttachedWindow.h"

#include <QTimer>

namespace {

// Tries, 20 ms apart, for the tray to take the icon in, as at start-up.
constexpr int kPlacingTries = 100;
constexpr int kPlacingIntervalMs = 20;

QString clock(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString notRecording()
{
    return CommandDispatcher::tr("VoiceTray is not recording.");
}

} // namespace

CommandDispatcher::CommandDispatcher(WindowController& window, RecordingSession& session,
                                     QObject* parent)
    : QObject(parent), m_window(window), m_session(session)
{
}

SingleInstance::Answer CommandDispatcher::perform(const QStringList& commands)
{
    SingleInstance::Answer answer;
    for (const QString& command : commands) {
        const QString word = command.section(QLatin1Char(' '), 0, 0);
        const QString value = command.section(QLatin1Char(' '), 1);
        // As with the hot keys, while something records either word stops it.
        if (word == QLatin1String(CommandLine::kRecord)) {
            m_window.toggleRecording(false);
        } else if (word == QLatin1String(CommandLine::kContinue)) {
            m_window.toggleRecording(true);
        } else if (word == QLatin1String(CommandLine::kShow)) {
            showWindow();
        } else if (word == QLatin1String(CommandLine::kStop)) {
            m_session.stop();
        } else if (word == QLatin1String(CommandLine::kStatus)) {
            answer.output += statusLine(m_session) + QLatin1Char('\n');
            answer.ok = answer.ok && m_session.isRecording();
        } else if (word == QLatin1String(CommandLine::kMark) ||
                   word == QLatin1String(CommandLine::kStopAfter)) {
            const bool done =
                word == QLatin1String(CommandLine::kMark)
                    ? m_session.addMark(value)
                    : m_session.limitTo(std::chrono::milliseconds(value.toLongLong()));
            if (!done) {
                answer.errors += notRecording() + QLatin1Char('\n');
                answer.ok = false;
            }
        } else {
            qCWarning(lcApp, "Unknown command \"%s\"", qPrintable(command));
        }
    }
    return answer;
}

SingleInstance::Answer CommandDispatcher::commandsReceived(const QStringList& commands)
{
    return perform(commands.isEmpty() ? QStringList{QString::fromLatin1(CommandLine::kShow)}
                                      : commands);
}

SingleInstance::Answer CommandDispatcher::answerWhileNotRunning(const QStringList& commands)
{
    SingleInstance::Answer answer;
    for (const QString& command : commands) {
        const QString word = command.section(QLatin1Char(' '), 0, 0);
        if (word == QLatin1String(CommandLine::kStatus)) {
            answer.output += QStringLiteral("idle\n");
            answer.ok = false;
        } else if (word == QLatin1String(CommandLine::kMark) ||
                   word == QLatin1String(CommandLine::kStopAfter)) {
            answer.errors += notRecording() + QLatin1Char('\n');
            answer.ok = false;
        }
    }
    return answer;
}

QString CommandDispatcher::statusLine(const RecordingSession& session)
{
    const RecItem* row = session.recordingRow();
    if (!row)
        return QStringLiteral("idle");
    QString line =
        QStringLiteral("recording %1 \"%2\"").arg(clock(qint64(session.elapsed())), row->title());
    if (const auto left = session.timeLeft())
        line += QStringLiteral(" stops in %1").arg(clock((left->count() + 999) / 1000));
    return line;
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
