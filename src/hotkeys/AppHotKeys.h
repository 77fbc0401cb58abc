// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/HotKeyCombination.h"
#include "hotkeys/HotKeyResponder.h"

#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class GlobalShortcutsPortal;
class HotKeyController;

// The application's two global hot keys, a new recording (Command+Shift+R,
// that is Super+Shift+R, unless the user chose another combination) and
// continue the selected one (Super+Shift+C), with their responders. They
// come from X11 key grabs, or, where the desktop's global shortcuts portal
// is preferred and offered (Wayland sessions), from the portal; status()
// tells which and why not. Main thread only.
class AppHotKeys : public QObject
{
    Q_OBJECT
public:
    static constexpr quint32 kSignature = hxFourCharCode("Hxhk");
    static constexpr quint16 kKeyCodeR = 15;
    static constexpr quint16 kKeyCodeC = 8;
    static constexpr quint32 kModifierFlags = 0x120000; // Command + Shift

    using Action = HotKeyResponder::Action;

    AppHotKeys();
    AppHotKeys(const AppHotKeys&) = delete;
    AppHotKeys& operator=(const AppHotKeys&) = delete;
    ~AppHotKeys() override;

    // Before setupHotKeys(): ask the desktop's portal first, and fall back to
    // X11 grabs only where it offers none.
    void setPreferPortal(bool prefer) { m_preferPortal = prefer; }
    // Before setupHotKeys(): the combination of an action (the default one
    // stays for an invalid combination).
    void setInitialCombination(Action action, const HotKeyCombination& combination);

    // Creates both hot keys with controller as their target and grabs them
    // (or binds them through the portal) when enabled is true (the inverse
    // of "IgnoreGlobalHotKeys"). Stops at the first hot key or responder
    // that cannot be made and answers false.
    bool setupHotKeys(HotKeyController* controller, bool enabled);
    // Grabs or releases both combinations; each failure is only logged and shown by status().
    void setUseHotKeys(bool flag);
    // Gives the action another combination, at once. Refused (false) for an
    // invalid combination and for the other action's.
    bool setCombination(Action action, const HotKeyCombination& combination);
    HotKeyCombination combination(Action action) const;
    // Releases and forgets both hot keys (at shutdown).
    void release();
    // The combination that starts a new recording as the user types it
    // ("Super+Shift+R") while it reaches VoiceTray: grabbed, or bound by the
    // desktop's portal (then as the desktop names it); empty when it does not.
    QString recordKeysText() const;

    const std::vector<std::unique_ptr<HotKeyResponder>>& allHotKeyResponders() const
    {
        return m_allHotKeyResponders;
    }
    // For the user: which way the hot keys come, or why they do not, and
    // what to do instead.
    QString status() const;

signals:
    // status() or a combination changed.
    void statusChanged();

private:
    static int index(Action action) { return action == Action::Continue ? 1 : 0; }
    std::unique_ptr<HotKeyResponder> makeResponder(Action action) const;
    void enableX11(bool flag);
    void portalStateChanged();
    void bindPortal();
    bool portalDecides() const;
    QString x11Status() const;
    QString portalStatus() const;

    HotKeyController* m_controller = nullptr;
    std::vector<std::unique_ptr<HotKeyResponder>> m_allHotKeyResponders;
    std::array<HotKeyCombination, 2> m_combinations{
        {{kKeyCodeR, kModifierFlags}, {kKeyCodeC, kModifierFlags}}};
    bool m_use = false;
    bool m_preferPortal = false;
    std::unique_ptr<GlobalShortcutsPortal> m_portal;
    bool m_awaitingProbe = false;
};
