// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/X11ShortcutBackend.h"

#include <QKeyCombination>
#include <QObject>
#include <QString>
#include <array>
#include <memory>

class PortalShortcutBackend;
class ShortcutBackend;

// The application's two global hot keys, a new recording (Super+Shift+R
// unless the user chose another combination) and continue the selected one
// (Super+Shift+C). They come from X11 key grabs, or, where the desktop's
// global shortcuts portal is preferred and offered (Wayland sessions), from
// the portal; status() tells which and why not. Main thread only.
class AppHotKeys : public QObject
{
    Q_OBJECT
public:
    enum class Action
    {
        Record,  // a new recording
        Continue // continue the selected recording
    };

    AppHotKeys();
    AppHotKeys(const AppHotKeys&) = delete;
    AppHotKeys& operator=(const AppHotKeys&) = delete;
    ~AppHotKeys() override;

    // Before setupHotKeys(): ask the desktop's portal first, and fall back to
    // X11 grabs only where it offers none.
    void setPreferPortal(bool prefer) { m_preferPortal = prefer; }
    // Before setupHotKeys(): the combination of an action (the default one
    // stays for an invalid combination or the other action's).
    void setInitialCombination(Action action, QKeyCombination combination);

    // Presses of the hot keys go to controller; they are grabbed (or bound
    // through the portal) when enabled is true (the inverse of
    // "IgnoreGlobalHotKeys").
    void setupHotKeys(bool enabled);
    // Grabs or releases both combinations; a failure is logged and shown by status().
    void setUseHotKeys(bool flag);
    // While the user types a new combination the X11 grabs are let go, so
    // that the keys reach the field that captures them.
    void setSuspended(bool suspended);
    // Gives the action another combination, at once. Refused (false) for an
    // invalid combination and for the other action's.
    bool setCombination(Action action, QKeyCombination combination);
    QKeyCombination combination(Action action) const { return m_combinations[int(action)]; }
    // Releases both hot keys (at shutdown).
    void release();
    // The combination that starts a new recording as the user types it
    // ("Super+Shift+R") while it reaches VoiceTray: grabbed, or bound by the
    // desktop's portal (then as the desktop names it); empty when it does not.
    QString recordKeysText() const;
    // For the user: which way the hot keys come, or why they do not, and
    // what to do instead.
    QString status() const;

    // A press of a hot key, from whichever back end.
    void press(Action action) { emit pressed(action); }

signals:
    // While something records, either combination stops it.
    void pressed(AppHotKeys::Action action);
    // status() or a combination changed.
    void statusChanged();

private:
    ShortcutBackend* backend();
    const ShortcutBackend* backend() const;
    bool portalDecides() const;
    void activated(const QString& id);
    void bind();
    void portalChanged();
    QString x11Status() const;
    QString portalStatus() const;

    std::array<QKeyCombination, 2> m_combinations{
        {Qt::META | Qt::SHIFT | Qt::Key_R, Qt::META | Qt::SHIFT | Qt::Key_C}};
    bool m_use = false;
    bool m_preferPortal = false;
    X11ShortcutBackend m_x11;
    std::unique_ptr<PortalShortcutBackend> m_portal;
};
