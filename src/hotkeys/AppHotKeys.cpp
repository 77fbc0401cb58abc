// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/AppHotKeys.h"

#include "hotkeys/HotKeyCombination.h"
#include "hotkeys/PortalShortcutBackend.h"

#include <QSignalBlocker>
#include <QStringList>

namespace {

const QString kIds[] = {QStringLiteral("record"), QStringLiteral("continue")};
const QString kCommands[] = {QStringLiteral("voicetray --record"),
                             QStringLiteral("voicetray --continue")};

} // namespace

AppHotKeys::AppHotKeys()
{
    connect(&m_x11, &ShortcutBackend::activated, this, &AppHotKeys::activated);
    connect(&m_x11, &ShortcutBackend::changed, this, &AppHotKeys::statusChanged);
}

AppHotKeys::~AppHotKeys()
{
    release();
}

void AppHotKeys::setInitialCombination(Action action, QKeyCombination combination)
{
    if (HotKeyCombination::isValid(combination) && combination != m_combinations[1 - int(action)])
        m_combinations[int(action)] = combination;
}

void AppHotKeys::setupHotKeys(bool enabled)
{
    if (m_preferPortal && !m_portal) {
        m_portal = std::make_unique<PortalShortcutBackend>();
        connect(m_portal.get(), &ShortcutBackend::changed, this, &AppHotKeys::portalChanged);
        connect(m_portal.get(), &ShortcutBackend::activated, this, &AppHotKeys::activated);
        m_portal->probe();
    }
    if (enabled)
        setUseHotKeys(true);
}

bool AppHotKeys::portalDecides() const
{
    return m_portal && m_portal->state() != PortalShortcutBackend::State::Absent;
}

ShortcutBackend* AppHotKeys::backend()
{
    return portalDecides() ? static_cast<ShortcutBackend*>(m_portal.get()) : &m_x11;
}

const ShortcutBackend* AppHotKeys::backend() const
{
    return portalDecides() ? static_cast<const ShortcutBackend*>(m_portal.get()) : &m_x11;
}

void AppHotKeys::bind()
{
    backend()->bind(
        {{kIds[0], tr("Start a new recording, or stop the one that runs"), m_combinations[0]},
         {kIds[1], tr("Continue the selected recording, or stop the one that runs"),
          m_combinations[1]}});
}

void AppHotKeys::setUseHotKeys(bool flag)
{
    m_use = flag;
    if (flag)
        bind();
    else
        backend()->unbind();
    emit statusChanged();
}

void AppHotKeys::setSuspended(bool suspended)
{
    m_x11.setSuspended(suspended);
}

void AppHotKeys::portalChanged()
{
    // Without a portal the X11 grabs are all there is.
    if (m_use && !portalDecides())
        bind();
    emit statusChanged();
}

bool AppHotKeys::setCombination(Action action, QKeyCombination combination)
{
    const int i = int(action);
    if (!HotKeyCombination::isValid(combination) || combination == m_combinations[1 - i])
        return false;
    if (combination == m_combinations[i])
        return true;
    m_combinations[i] = combination;
    // The old combination is let go before the new one is grabbed; the
    // desktop's portal is given the new preferred trigger.
    if (m_use)
        bind();
    emit statusChanged();
    return true;
}

QString AppHotKeys::recordKeysText() const
{
    return m_use ? backend()->keys(kIds[0]) : QString();
}

void AppHotKeys::release()
{
    // Nothing the user sees changes at shutdown.
    const QSignalBlocker blocker(this);
    m_use = false;
    m_x11.unbind();
    if (m_portal) {
        disconnect(m_portal.get(), nullptr, this, nullptr);
        m_portal->unbind();
    }
}

void AppHotKeys::activated(const QString& id)
{
    if (id == kIds[0])
        press(Action::Record);
    else if (id == kIds[1])
        press(Action::Continue);
}

QString AppHotKeys::status() const
{
    if (!m_use)
        return tr("Off. Instead, you can bind \"voicetray --record\" and \"voicetray --continue\" "
                  "to shortcuts of your desktop.");
    return portalDecides() ? portalStatus() : x11Status();
}

QString AppHotKeys::x11Status() const
{
    const QString instead = tr("Instead, bind \"voicetray --record\" and \"voicetray --continue\" "
                               "to shortcuts of your desktop.");
    if (!X11ShortcutBackend::isAvailable())
        return tr("Global hot keys need X11 or the desktop's global shortcuts portal, and neither "
                  "is here.") +
               QLatin1Char(' ') + instead;
    QStringList taken;
    for (int i : {0, 1})
        if (m_x11.isTaken(kIds[i]))
            taken << tr("%1 is taken by another program: choose another combination, or bind "
                        "\"%2\" to a shortcut of your desktop.")
                         .arg(HotKeyCombination::text(m_combinations[i]), kCommands[i]);
    if (!taken.isEmpty())
        return taken.join(QLatin1Char(' '));
    if (m_preferPortal)
        return tr("This desktop offers no global shortcuts portal: through X11 the keys work only "
                  "while a VoiceTray window is active.") +
               QLatin1Char(' ') + instead;
    return tr("Provided by X11: %1 starts a new recording and %2 continues the selected one, "
              "from any application.")
        .arg(HotKeyCombination::text(m_combinations[0]),
             HotKeyCombination::text(m_combinations[1]));
}

QString AppHotKeys::portalStatus() const
{
    using State = PortalShortcutBackend::State;
    switch (m_portal->state()) {
    case State::Bound: {
        auto keys = [this](const QString& id) {
            const QString trigger = m_portal->keys(id);
            return trigger.isEmpty() ? tr("(no keys yet: set them in the desktop's settings)")
                                     : trigger;
        };
        return tr("Provided by the desktop portal: %1 starts a new recording and %2 continues "
                  "the selected one, from any application.")
            .arg(keys(kIds[0]), keys(kIds[1]));
    }
    case State::Refused:
        return tr("The desktop did not bind the keys (%1). Instead, bind \"voicetray --record\" "
                  "and \"voicetray --continue\" to shortcuts of your desktop.")
            .arg(m_portal->refusal());
    default:
        return tr("Asking the desktop for the keys...");
    }
}
