// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/AppHotKeys.h"

#include "hotkeys/HxModifierFlags.h"

AppHotKeys::~AppHotKeys()
{
    release();
}

bool AppHotKeys::setupHotKeys(HotKeyController* controller, bool enabled)
{
    HxHotKeyEvent::setSignature(kSignature);
    m_allHotKeyResponders.clear();
    for (quint16 keyCode : {kKeyCodeR, kKeyCodeC}) {
        std::unique_ptr<HotKeyResponder> responder = HotKeyResponder::hotKeyReponderWithController(
            controller, HxHotKeyEvent::getHotKeyForKeyCode(keyCode, kModifierFlags));
        if (!responder)
            return false;
        m_allHotKeyResponders.push_back(std::move(responder));
    }
    if (enabled)
        setUseHotKeys(true);
    return true;
}

void AppHotKeys::setUseHotKeys(bool flag)
{
    // Outside X11 the hot keys cannot work; install() has said so once in the log.
    if (!HxHotKeyEvent::install())
        return;
    for (const auto& responder : m_allHotKeyResponders) {
        if (flag)
            responder->enable();
        else
            responder->disable();
    }
}

QString AppHotKeys::recordKeysText() const
{
    const HxHotKeyEvent* hotKey =
        m_allHotKeyResponders.empty() ? nullptr : m_allHotKeyResponders.front()->hotKeyEvent();
    if (!hotKey || !hotKey->isEnabled() || hotKey->character().isNull())
        return QString();
    const quint32 flags = hotKey->modifierFlags();
    QStringList keys;
    if (flags & HxModifierFlags::Command)
        keys << tr("Super");
    if (flags & HxModifierFlags::Control)
        keys << tr("Ctrl");
    if (flags & HxModifierFlags::Option)
        keys << tr("Alt");
    if (flags & HxModifierFlags::Shift)
        keys << tr("Shift");
    keys << hotKey->character().toUpper();
    return keys.join(QLatin1Char('+'));
}

void AppHotKeys::release()
{
    setUseHotKeys(false);
    m_allHotKeyResponders.clear();
}
