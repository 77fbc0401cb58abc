// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>
#include <QLineEdit>

// A field that captures a key combination the user types for a hot key and
// shows it ("Super+Alt+R"). A key is taken as it is labelled, whatever the
// modifiers held make it type. Main thread only.
class HotKeyField : public QLineEdit
{
    Q_OBJECT
public:
    explicit HotKeyField(QWidget* parent = nullptr);

    bool isCapturing() const { return m_capturing; }
    // Starts capturing (the field cleared) or ends it.
    void setCapturing(bool capturing);

signals:
    void capturingChanged(bool capturing);
    // A valid combination was typed; capturing has ended.
    void captured(QKeyCombination combination);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_capturing = false;
};
