// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;
class QPushButton;

// A bar at the foot of the window that says what was just done, with a
// button that takes it back; it goes by itself after a while. Main thread only.
class UndoBar : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kShownMs = 15000;

    explicit UndoBar(QWidget* parent = nullptr);

    void showMessage(const QString& text);
    // What it says while it is shown; empty when it is not.
    QString text() const;
    QPushButton* undoButton() const { return m_undo; }

signals:
    void undoRequested();

private:
    QLabel* m_text;
    QPushButton* m_undo;
    QTimer m_timer;
};
