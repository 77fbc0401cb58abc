// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxHotKeyControl.h"

#include "hotkeys/HotKeyCombination.h"
#include "hotkeys/HxKeyboardLayout.h"
#include "hotkeys/HxModifierFlags.h"
#include "hotkeys/HxVirtualKeyTable.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>

HxHotKeyControl::HxHotKeyControl(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
}

void HxHotKeyControl::setReadyForHotKeyEvent(bool flag)
{
    m_readyForEvent = flag;
    HxHotKeyEvent::setAllEnabled(!flag);
    if (!flag && m_lastReadyForEventSender) {
        QAbstractButton* button = m_lastReadyForEventSender;
        m_lastReadyForEventSender = nullptr;
        button->setChecked(false);
    }
}

void HxHotKeyControl::readyForHotKeyEventChanged(QObject* sender)
{
    if (!sender)
        sender = QObject::sender();
    QAbstractButton* button = qobject_cast<QAbstractButton*>(sender);
    if (auto* group = qobject_cast<QButtonGroup*>(sender))
        button = group->checkedButton();
    if (!button)
        return;
    if (button->isChecked()) {
        setReadyForHotKeyEvent(true);
        m_lastReadyForEventSender = button;
        clear();
    } else {
        m_lastReadyForEventSender = nullptr;
        setReadyForHotKeyEvent(false);
    }
}

QChar HxHotKeyControl::character() const
{
    HxKeyboardLayout* layout = HxKeyboardLayout::keyboardLayout();
    return layout ? layout->characterForKeyCode(m_keyCode) : QChar(0);
}

HxHotKeyEventPtr HxHotKeyControl::hotKeyEvent() const
{
    return HxHotKeyEvent::getHotKeyForKeyCode(m_keyCode, m_modifierFlags);
}

bool HxHotKeyControl::event(QEvent* event)
{
    // While capturing, shortcuts of the window must not take the keys away from the field.
    if (m_readyForEvent && event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void HxHotKeyControl::keyPressEvent(QKeyEvent* event)
{
    if (!m_readyForEvent) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    HxKeyboardLayout* layout = HxKeyboardLayout::keyboardLayout();
    const quint16 keyCode = HxVirtualKeyTable::keyCodeForXKeycode(event->nativeScanCode());
    if (!layout || keyCode == HxVirtualKeyTable::NoKey)
        return;
    const quint32 flags = HxModifierFlags::fromQt(event->modifiers()) & HxModifierFlags::KeyMask;
    const char16_t ch = layout->characterForKeyCode(keyCode).unicode();
    if (flags == 0 && ch < 256 && m_requiresModifierKeys)
        return;
    if (ch == 0)
        return;
    m_keyCode = keyCode;
    m_modifierFlags = flags;
    // Shown as a Linux desktop writes it ("Super+Shift+R"), not in Mac symbols.
    setText(HotKeyCombination{m_keyCode, m_modifierFlags}.text());
    emit activated();
    if (!m_stayReadyForEvent)
        setReadyForHotKeyEvent(false);
}
