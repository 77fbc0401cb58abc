// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/HxHotKeyEvent.h"
#include "hotkeys/HxHotKeyTarget.h"

#include <memory>

class HotKeyController;

// The target of one application hot key: a press starts or stops a recording
// through the controller. Holds a reference to its hot key; the controller
// is not owned. Main thread only.
class HotKeyResponder : public HxHotKeyTarget
{
public:
    static inline const QString kPressAction = QStringLiteral("hotKeyPressed:");
    static inline const QString kReleaseAction = QStringLiteral("hotKeyReleased:");

    // What a press of the hot key does.
    enum class Action
    {
        None,
        Record,  // a new recording
        Continue // continue the selected recording
    };

    // Null when the hot key refuses the responder as its target. Without an
    // action the key decides: R records, C continues, any other does nothing.
    static std::unique_ptr<HotKeyResponder>
    hotKeyReponderWithController(HotKeyController* controller, HxHotKeyEventPtr hotKey);
    static std::unique_ptr<HotKeyResponder>
    hotKeyReponderWithController(HotKeyController* controller, HxHotKeyEventPtr hotKey,
                                 Action action);
    // A press of an application hot key, from whichever source: while
    // something records, it stops through the action that started it.
    static void press(HotKeyController* controller, Action action);
    ~HotKeyResponder() override;

    HxHotKeyEvent* hotKeyEvent() const { return m_hotKey.get(); }
    HotKeyController* controller() const { return m_controller; }
    Action action() const { return m_action; }

    // Switch the hot key on or off while this responder is still its target.
    void enable();
    void disable();

    void hotKeyPressed(HxHotKeyEvent* hotKey);
    void hotKeyReleased(HxHotKeyEvent* hotKey);

    bool respondsToAction(const QString& action) const override;
    void performAction(const QString& action, HxHotKeyEvent* hotKey) override;
    bool targetWillChangeToObject(HxHotKeyTarget* newTarget, HxHotKeyEvent* hotKey) override;

private:
    HotKeyResponder(HotKeyController* controller, HxHotKeyEventPtr hotKey, Action action);

    HotKeyController* m_controller;
    HxHotKeyEventPtr m_hotKey;
    Action m_action;
};
