// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HotKeyField.h"

#include "hotkeys/HotKeyCombination.h"
#include "hotkeys/KeyboardLayout.h"

#include <QKeyEvent>

HotKeyField::HotKeyField(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
}

void HotKeyField::setCapturing(bool capturing)
{
    if (capturing == m_capturing)
        return;
    m_capturing = capturing;
    if (capturing)
        clear();
    emit capturingChanged(capturing);
}

bool HotKeyField::event(QEvent* event)
{
    // While capturing, shortcuts of the window must not take the keys away from the field.
    if (m_capturing && event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void HotKeyField::keyPressEvent(QKeyEvent* event)
{
    if (!m_capturing) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    // Qt names the key by what the modifiers make it type (Shift+1 is "!"); the layout names it
    // by its label. Without X11 Qt's name is all there is.
    const KeyboardLayout* layout = KeyboardLayout::current();
    const QKeyCombination key =
        layout ? layout->keyAt(event->nativeScanCode())
               : QKeyCombination(event->modifiers() & Qt::KeypadModifier, Qt::Key(event->key()));
    const QKeyCombination combination(
        key.keyboardModifiers() | (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                         Qt::AltModifier | Qt::MetaModifier)),
        key.key());
    if (!HotKeyCombination::isValid(combination))
        return;
    setText(HotKeyCombination::text(combination));
    emit captured(combination);
    setCapturing(false);
}
