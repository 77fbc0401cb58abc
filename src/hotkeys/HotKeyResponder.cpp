// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HotKeyResponder.h"

#include "hotkeys/HotKeyController.h"
#include "hotkeys/HotKeysLog.h"
#include "hotkeys/HxAssertion.h"

namespace {

constexpr quint16 kKeyCodeR = 15;
constexpr quint16 kKeyCodeC = 8;

} // namespace

HotKeyResponder::HotKeyResponder(HotKeyController* controller, HxHotKeyEventPtr hotKey,
                                 Action action)
    : m_controller(controller), m_hotKey(std::move(hotKey)), m_action(action)
{
}

std::unique_ptr<HotKeyResponder>
HotKeyResponder::hotKeyReponderWithController(HotKeyController* controller, HxHotKeyEventPtr hotKey)
{
    if (!hotKey)
        return nullptr;
    const quint16 keyCode = hotKey->keyCode();
    const Action action = keyCode == kKeyCodeR   ? Action::Record
                          : keyCode == kKeyCodeC ? Action::Continue
                                                 : Action::None;
    return hotKeyReponderWithController(controller, std::move(hotKey), action);
}

std::unique_ptr<HotKeyResponder>
HotKeyResponder::hotKeyReponderWithController(HotKeyController* controller, HxHotKeyEventPtr hotKey,
                                              Action action)
{
    if (!hotKey)
        return nullptr;
    std::unique_ptr<HotKeyResponder> responder(new HotKeyResponder(controller, hotKey, action));
    if (!hotKey->setTarget(responder.get(), kReleaseAction, kPressAction))
        return nullptr;
    return responder;
}

HotKeyResponder::~HotKeyResponder()
{
    // Letting go of the last reference ungrabs the combination and takes it out of the registry.
    m_hotKey.reset();
}

void HotKeyResponder::enable()
{
    if (m_hotKey && m_hotKey->target() == this && !m_hotKey->setEnabled(true))
        qCWarning(lcHotKeys, "Enable Failed");
}

void HotKeyResponder::disable()
{
    if (m_hotKey && m_hotKey->target() == this && !m_hotKey->setEnabled(false))
        qCWarning(lcHotKeys, "Disable Failed");
}

void HotKeyResponder::hotKeyPressed(HxHotKeyEvent* hotKey)
{
    if (hotKey)
        press(m_controller, m_action);
}

void HotKeyResponder::press(HotKeyController* controller, Action action)
{
    if (!controller || action == Action::None)
        return;
    // While something records, either combination stops it through the action that started it.
    if (controller->isRecording()) {
        if (controller->continueRecording())
            controller->resumeStopRecording(nullptr);
        else
            controller->startStopRecording(nullptr);
    } else if (action == Action::Record) {
        controller->startStopRecording(nullptr);
    } else {
        controller->resumeStopRecording(nullptr);
    }
}

void HotKeyResponder::hotKeyReleased(HxHotKeyEvent*) {}

bool HotKeyResponder::respondsToAction(const QString& action) const
{
    return action == kPressAction || action == kReleaseAction;
}

void HotKeyResponder::performAction(const QString& action, HxHotKeyEvent* hotKey)
{
    if (action == kPressAction)
        hotKeyPressed(hotKey);
    else if (action == kReleaseAction)
        hotKeyReleased(hotKey);
}

bool HotKeyResponder::targetWillChangeToObject(HxHotKeyTarget* newTarget, HxHotKeyEvent* hotKey)
{
    if (newTarget == this) {
        HX_PARAMETER_ASSERT(newTarget != this);
        return false;
    }
    if (hotKey != m_hotKey.get()) {
        HX_PARAMETER_ASSERT(hotKey == m_hotKey.get());
        return false;
    }
    m_hotKey.reset();
    return true;
}
