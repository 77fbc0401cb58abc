// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

// The "Recordings Editor": a small floating window beside the pop-up window
// with the title and the description of the selected row. Its controller
// fills and reads the fields. Main thread only.
class DescrPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 250;
    static constexpr int kHeight = 280;

    explicit DescrPanel(QWidget* parent = nullptr);

    // Where a panel of the given frame size goes beside a window's frame: 10
    // points to its left where that fits inside the area (the screen's work
    // area), else to its right, else on the side with more room; its top
    // level with the given one, moved into the area where it would stick out.
    static QPoint besideWindow(const QRect& window, int top, const QSize& panel, const QRect& area);

    QLineEdit* titleField() const { return m_titleField; }
    QPlainTextEdit* descrField() const { return m_descrField; }

signals:
    // The panel is about to close, by its close box or by close().
    void windowWillClose();
    // The panel stopped being the active window.
    void resignedKey();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* m_titleField;
    QPlainTextEdit* m_descrField;
};
