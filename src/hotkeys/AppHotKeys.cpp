// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/AppHotKeys.h"

#include "hotkeys/GlobalShortcutsPortal.h"

#include <QStringList>

namespace {

const QString kRecordId = QStringLiteral("record");
const QString kContinueId = QStringLiteral("continue");

} // namespace

AppHotKeys::AppHotKeys() = default;

AppHotKeys::~AppHotKeys()
{
    release();
}

void AppHotKeys::setInitialCombination(Action action, const HotKeyCombination& combination)
{
    if (action != Action::None && combination.isValid() &&
        combination != m_combinations[1 - index(action)])
        m_combinations[index(action)] = combination;
}

HotKeyCombination AppHotKeys::combination(Action action) const
{
    return m_combinations[index(action)];
}

std::unique_ptr<HotKeyResponder> AppHotKeys::makeResponder(Action action) const
{
    const HotKeyCombination& c = m_combinations[index(action)];
    return HotKeyResponder::hotKeyReponderWithController(
        m_controller, HxHotKeyEvent::getHotKeyForKeyCode(c.keyCode, c.modifierFlags), action);
}

bool AppHotKeys::setupHotKeys(HotKeyController* controller, bool enabled)
{
    HxHotKeyEvent::setSignature(kSignature);
    m_controller = controller;
    m_allHotKeyResponders.clear();
    for (Action action : {Action::Record, Action::Continue}) {
        std::unique_ptr<HotKeyResponder> responder = makeResponder(action);
        if (!responder)
            return false;
        m_allHotKeyResponders.push_back(std::move(responder));
    }
    if (m_preferPortal && !m_portal) {
        m_portal = std::make_unique<GlobalShortcutsPortal>();
        connect(m_portal.get(), &GlobalShortcutsPortal::stateChanged, this,
                &AppHotKeys::portalStateChanged);
        connect(m_portal.get(), &GlobalShortcutsPortal::activated, this, [this](const QString& id) {
            HotKeyResponder::press(m_controller, id == kRecordId     ? Action::Record
                                                 : id == kContinueId ? Action::Continue
                                                                     : Action::None);
        });
        m_awaitingProbe = true;
        m_portal->probe();
    }
    if (enabled)
        setUseHotKeys(true);
    return true;
}

bool AppHotKeys::portalDecides() const
{
    return m_portal && m_portal->state() != GlobalShortcutsPortal::State::Absent;
}

void AppHotKeys::setUseHotKeys(bool flag)
{
    m_use = flag;
    if (!portalDecides())
        enableX11(flag);
    else if (!m_awaitingProbe)
        flag ? bindPortal() : m_portal->close();
    emit statusChanged();
}

void AppHotKeys::enableX11(bool flag)
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

void AppHotKeys::portalStateChanged()
{
    if (m_awaitingProbe && m_portal->state() != GlobalShortcutsPortal::State::Probing) {
        m_awaitingProbe = false;
        // Without a portal the X11 grabs are all there is.
        if (m_portal->state() == GlobalShortcutsPortal::State::Absent)
            enableX11(m_use);
        else if (m_use)
            bindPortal();
    }
    emit statusChanged();
}

void AppHotKeys::bindPortal()
{
    m_portal->bind({{kRecordId, tr("Start a new recording, or stop the one that runs"),
                     m_combinations[0].portalTrigger()},
                    {kContinueId, tr("Continue the selected recording, or stop the one that runs"),
                     m_combinations[1].portalTrigger()}});
}

bool AppHotKeys::setCombination(Action action, const HotKeyCombination& combination)
{
    if (action == Action::None || !combination.isValid() ||
        combination == m_combinations[1 - index(action)])
        return false;
    if (combination == m_combinations[index(action)])
        return true;
    m_combinations[index(action)] = combination;
    if (m_allHotKeyResponders.size() == m_combinations.size()) {
        // The old combination is let go before the new one is grabbed.
        m_allHotKeyResponders[index(action)].reset();
        m_allHotKeyResponders[index(action)] = makeResponder(action);
        if (m_use && !portalDecides() && m_allHotKeyResponders[index(action)] &&
            HxHotKeyEvent::install())
            m_allHotKeyResponders[index(action)]->enable();
    }
    // The desktop is given the new preferred trigger.
    if (m_use && portalDecides() && !m_awaitingProbe)
        bindPortal();
    emit statusChanged();
    return true;
}

QString AppHotKeys::recordKeysText() const
{
    if (!m_use)
        return QString();
    if (portalDecides())
        return m_portal->state() == GlobalShortcutsPortal::State::Bound
                   ? m_portal->triggers().value(kRecordId)
                   : QString();
    const HxHotKeyEvent* hotKey = m_allHotKeyResponders.empty() || !m_allHotKeyResponders.front()
                                      ? nullptr
                                      : m_allHotKeyResponders.front()->hotKeyEvent();
    return hotKey && hotKey->isEnabled() ? m_combinations[0].text() : QString();
}

void AppHotKeys::release()
{
    m_use = false;
    enableX11(false);
    if (m_portal) {
        disconnect(m_portal.get(), nullptr, this, nullptr);
        m_portal->close();
    }
    m_allHotKeyResponders.clear();
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
    if (!HxHotKeyEvent::install())
        return tr("Global hot keys need X11 or the desktop's global shortcuts portal, and neither "
                  "is here.") +
               QLatin1Char(' ') + instead;
    QStringList taken;
    for (const auto& responder : m_allHotKeyResponders) {
        const HxHotKeyEvent* hotKey = responder ? responder->hotKeyEvent() : nullptr;
        if (hotKey && !hotKey->individualEnable()) {
            const bool record = responder->action() == Action::Record;
            taken << tr("%1 is taken by another program: choose another combination, or bind "
                        "\"%2\" to a shortcut of your desktop.")
                         .arg(m_combinations[index(responder->action())].text(),
                              record ? QStringLiteral("voicetray --record")
                                     : QStringLiteral("voicetray --continue"));
        }
    }
    if (!taken.isEmpty())
        return taken.join(QLatin1Char(' '));
    if (m_preferPortal)
        return tr("This desktop offers no global shortcuts portal: through X11 the keys work only "
                  "while a VoiceTray window is active.") +
               QLatin1Char(' ') + instead;
    return tr("Provided by X11: %1 starts a new recording and %2 continues the selected one, "
              "from any application.")
        .arg(m_combinations[0].text(), m_combinations[1].text());
}

QString AppHotKeys::portalStatus() const
{
    using State = GlobalShortcutsPortal::State;
    switch (m_portal->state()) {
    case State::Bound: {
        auto keys = [this](const QString& id) {
            const QString trigger = m_portal->triggers().value(id);
            return trigger.isEmpty() ? tr("(no keys yet: set them in the desktop's settings)")
                                     : trigger;
        };
        return tr("Provided by the desktop portal: %1 starts a new recording and %2 continues "
                  "the selected one, from any application.")
            .arg(keys(kRecordId), keys(kContinueId));
    }
    case State::Refused:
        return tr("The desktop did not bind the keys (%1). Instead, bind \"voicetray --record\" "
                  "and \"voicetray --continue\" to shortcuts of your desktop.")
            .arg(m_portal->refusal());
    default:
        return tr("Asking the desktop for the keys...");
    }
}
