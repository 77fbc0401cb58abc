// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/HxHotKeyEvent.h"

#include <QLineEdit>
#include <QPointer>

class QAbstractButton;

// A field that captures a key combination typed by the user and shows it
// (Super+Alt+R). While it captures, every hot key is silenced so that typing a
// registered combination reaches the field. Main thread only.
class HxHotKeyControl : public QLineEdit
{
    Q_OBJECT

public:
    explicit HxHotKeyControl(QWidget* parent = nullptr);

    bool readyForHotKeyEvent() const { return m_readyForEvent; }
    void setReadyForHotKeyEvent(bool flag);
    bool requiresModifierKeys() const { return m_requiresModifierKeys; }
    void setRequiresModifierKeys(bool flag) { m_requiresModifierKeys = flag; }
    bool stayReadyForEvent() const { return m_stayReadyForEvent; }
    void setStayReadyForEvent(bool flag) { m_stayReadyForEvent = flag; }

    quint16 keyCode() const { return m_keyCode; }
    quint32 modifierFlags() const { return m_modifierFlags; }
    QChar character() const;
    // The registered hot key of the captured combination, or a new one.
    HxHotKeyEventPtr hotKeyEvent() const;

public slots:
    // The action of a checkable button, or of a button group (its checked
    // button counts); other senders are ignored. Without an argument the
    // sending object is used.
    void readyForHotKeyEventChanged(QObject* sender = nullptr);

signals:
    // A combination was captured.
    void activated();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    quint16 m_keyCode = 0;
    quint32 m_modifierFlags = 0;
    bool m_requiresModifierKeys = true;
    bool m_readyForEvent = false;
    bool m_stayReadyForEvent = false;
    QPointer<QAbstractButton> m_lastReadyForEventSender;
};
