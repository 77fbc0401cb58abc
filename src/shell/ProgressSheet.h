// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// A small progress panel shown as a sheet over a window: it sits at the top
// of that window, in the middle, and blocks input to it while shown. It is a
// window of its own (never a child of the host), so the host may go away
// without taking the panel with it. Main thread only.
class ProgressSheet : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressSheet(QWidget* parent = nullptr);

    QLabel* progressTitle() const { return m_progressTitle; }

    // Shows the sheet over the window; with no window the sheet counts as
    // shown but stays off screen (nothing to attach to).
    void beginSheet(QWidget* window);
    void endSheet();
    bool isSheetShown() const { return m_shown; }
    // Sets the bar (0 to 100) and redraws it at once: callers may be in the
    // middle of work during which the event loop does not turn.
    void setProgress(double value);
    // Shows a Cancel button until the sheet ends.
    void setCancelable(bool cancelable);

signals:
    // The user pressed Cancel.
    void cancelRequested();

private:
    QProgressBar* m_progressBar;
    QLabel* m_progressTitle;
    QPushButton* m_cancel;
    QPointer<QWidget> m_host;
    bool m_shown = false;
};
