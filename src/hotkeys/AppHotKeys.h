// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/HotKeyResponder.h"

#include <QCoreApplication>
#include <memory>
#include <vector>

class HotKeyController;

// The application's two global hot keys, Command+Shift+R (a new recording)
// and Command+Shift+C (continue the selected one), with their responders.
// Main thread only.
class AppHotKeys
{
    Q_DECLARE_TR_FUNCTIONS(AppHotKeys)

public:
    static constexpr quint32 kSignature = hxFourCharCode("Hxhk");
    static constexpr quint16 kKeyCodeR = 15;
    static constexpr quint16 kKeyCodeC = 8;
    static constexpr quint32 kModifierFlags = 0x120000; // Command + Shift

    AppHotKeys() = default;
    AppHotKeys(const AppHotKeys&) = delete;
    AppHotKeys& operator=(const AppHotKeys&) = delete;
    ~AppHotKeys();

    // Creates both hot keys with controller as their target and grabs them
    // when enabled is true (the inverse of "IgnoreGlobalHotKeys"). Stops at
    // the first hot key or responder that cannot be made and answers false.
    bool setupHotKeys(HotKeyController* controller, bool enabled);
    // Grabs or releases both combinations; each failure is only logged.
    void setUseHotKeys(bool flag);
    // Releases and forgets both hot keys (at shutdown).
    void release();
    // The combination that starts a new recording as the user types it
    // ("Super+Shift+R") while it is grabbed; empty when it is not.
    QString recordKeysText() const;

    const std::vector<std::unique_ptr<HotKeyResponder>>& allHotKeyResponders() const
    {
        return m_allHotKeyResponders;
    }

private:
    std::vector<std::unique_ptr<HotKeyResponder>> m_allHotKeyResponders;
};
