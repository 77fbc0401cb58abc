// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxHotKeyEvent.h"

#include "hotkeys/HotKeysLog.h"
#include "hotkeys/HxAssertion.h"
#include "hotkeys/HxHotKeyEventFilter.h"
#include "hotkeys/HxHotKeyTarget.h"
#include "hotkeys/HxHotKeyTargetList.h"
#include "hotkeys/HxKeyGrabber.h"
#include "hotkeys/HxKeyboardLayout.h"
#include "hotkeys/HxModifierFlags.h"
#include "hotkeys/HxVirtualKeyTable.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QHash>
#include <QKeyEvent>

namespace {

const QString kClassName = QStringLiteral("HxHotKeyEvent");
const QString kOldClassName = QStringLiteral("HxHotKeyNoEvent");

// Never destroyed: hot keys may outlive every other static.
QHash<quint32, HxHotKeyEvent*>& registry()
{
    static auto* table = new QHash<quint32, HxHotKeyEvent*>;
    return *table;
}

HxHotKeyEventFilter*& handler()
{
    static HxHotKeyEventFilter* filter = nullptr;
    return filter;
}

quint32& storedSignature()
{
    static quint32 signature = 0;
    return signature;
}

HxKeyboardLayout* layout()
{
    return HxKeyboardLayout::keyboardLayout();
}

QString nameOrNull(const QString& selector)
{
    return selector.isNull() ? QStringLiteral("(null)") : selector;
}

} // namespace

HxHotKeyEvent::HxHotKeyEvent(quint16 keyCode, quint32 modifierFlags, HxHotKeyTarget* target,
                             const QString& selector)
    : m_keyCode(keyCode), m_modifierFlags(modifierFlags), m_target(target),
      m_selectorReleased(selector)
{
}

HxHotKeyEvent::~HxHotKeyEvent()
{
    if (m_reference)
        switchHotKey(false);
    if (m_inRegistry) {
        auto it = registry().find(hotKeyId());
        if (it != registry().end() && it.value() == this)
            registry().erase(it);
    }
}

HxHotKeyEventPtr HxHotKeyEvent::adopt(HxHotKeyEvent* hotKey)
{
    HxHotKeyEventPtr pointer(hotKey);
    if (!pointer->addHotKey())
        return nullptr;
    return pointer;
}

HxHotKeyEventPtr HxHotKeyEvent::make(quint16 keyCode, quint32 modifierFlags, HxHotKeyTarget* target,
                                     const QString& selector)
{
    return adopt(new HxHotKeyEvent(keyCode, modifierFlags, target, selector));
}

// --- Process-wide operations ---

bool HxHotKeyEvent::install()
{
    if (handler())
        return true;
    if (!HxKeyGrabber::connection() || !QCoreApplication::instance()) {
        static bool reported = false;
        if (!reported)
            qCWarning(lcHotKeys, "Could not install Event handler");
        reported = true;
        return false;
    }
    registry();
    handler() = new HxHotKeyEventFilter;
    QCoreApplication::instance()->installNativeEventFilter(handler());
    return true;
}

void HxHotKeyEvent::uninstall()
{
    HxHotKeyEventFilter* filter = handler();
    if (!filter)
        return;
    handler() = nullptr;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(filter);
    delete filter;
}

bool HxHotKeyEvent::isInstalled()
{
    return handler() != nullptr;
}

void HxHotKeyEvent::setSignature(quint32 signature)
{
    if (storedSignature() != 0 && storedSignature() != signature) {
        HX_ASSERTION(
            QStringLiteral("The signature used by HxHotKeyEvent can only be set once safely"));
        return;
    }
    storedSignature() = signature;
}

quint32 HxHotKeyEvent::signature()
{
    if (storedSignature() == 0)
        storedSignature() = HxHotKeyDefaultSignature;
    return storedSignature();
}

bool HxHotKeyEvent::setAllEnabled(bool flag)
{
    if (!install())
        return true;
    bool all = true;
    // A copy: enabling may not change the registry, but a failing target might.
    const QList<HxHotKeyEvent*> hotKeys = registry().values();
    for (HxHotKeyEvent* hotKey : hotKeys)
        if (!hotKey->setCollectiveEnabled(flag))
            all = false;
    return all;
}

HxHotKeyEventPtr HxHotKeyEvent::findHotKeyForId(quint32 hotKeyId)
{
    HxHotKeyEvent* hotKey = registry().value(hotKeyId);
    return hotKey ? hotKey->weak_from_this().lock() : nullptr;
}

HxHotKeyEventPtr HxHotKeyEvent::findHotKeyForKeyCode(quint16 keyCode, quint32 modifierFlags)
{
    return findHotKeyForId(modifierFlags | keyCode);
}

HxHotKeyEventPtr HxHotKeyEvent::findHotKeyForKeyCharacter(QChar character, quint32 modifierFlags)
{
    HxKeyboardLayout* l = layout();
    if (!l)
        return nullptr;
    return findHotKeyForKeyCode(
        l->keyCodeForCharacter(character, modifierFlags & HxModifierFlags::NumericPad),
        modifierFlags);
}

HxHotKeyEventPtr HxHotKeyEvent::getHotKeyForKeyCode(quint16 keyCode, quint32 modifierFlags)
{
    if (HxHotKeyEventPtr found = findHotKeyForKeyCode(keyCode, modifierFlags))
        return found;
    return hotKeyWithKeyCode(keyCode, modifierFlags);
}

HxHotKeyEventPtr HxHotKeyEvent::getHotKeyForKeyCode(quint16 keyCode, QChar, quint32 modifierFlags)
{
    return getHotKeyForKeyCode(keyCode, modifierFlags);
}

HxHotKeyEventPtr HxHotKeyEvent::getHotKeyForKeyCharacter(QChar character, quint32 modifierFlags)
{
    if (HxHotKeyEventPtr found = findHotKeyForKeyCharacter(character, modifierFlags))
        return found;
    return hotKeyWithKeyCharacter(character, modifierFlags);
}

bool HxHotKeyEvent::isEnabledKeyCode(quint16 keyCode, quint32 modifierFlags)
{
    const HxHotKeyEventPtr found = findHotKeyForKeyCode(keyCode, modifierFlags);
    return found && found->isEnabled();
}

bool HxHotKeyEvent::isEnabledKeyCharacter(QChar character, quint32 modifierFlags)
{
    const HxHotKeyEventPtr found = findHotKeyForKeyCharacter(character, modifierFlags);
    return found && found->isEnabled();
}

HxHotKeyEventPtr HxHotKeyEvent::hotKeyWithKeyCode(quint16 keyCode, quint32 modifierFlags,
                                                  HxHotKeyTarget* target, const QString& selector)
{
    return make(keyCode, modifierFlags, target, selector);
}

HxHotKeyEventPtr HxHotKeyEvent::hotKeyWithKeyCode(quint16 keyCode, QChar, quint32 modifierFlags,
                                                  HxHotKeyTarget* target, const QString& selector)
{
    return make(keyCode, modifierFlags, target, selector);
}

HxHotKeyEventPtr HxHotKeyEvent::hotKeyWithKeyCharacter(QChar character, quint32 modifierFlags,
                                                       HxHotKeyTarget* target,
                                                       const QString& selector)
{
    // Without a keyboard layout the character names no key.
    HxKeyboardLayout* l = layout();
    if (!l)
        return nullptr;
    return make(l->keyCodeForCharacter(character, modifierFlags & HxModifierFlags::NumericPad),
                modifierFlags, target, selector);
}

HxHotKeyEventPtr HxHotKeyEvent::hotKeyWithEvent(const QKeyEvent& event, HxHotKeyTarget* target,
                                                const QString& selector)
{
    const quint16 keyCode = HxVirtualKeyTable::keyCodeForXKeycode(event.nativeScanCode());
    if (keyCode == HxVirtualKeyTable::NoKey)
        return nullptr;
    return make(keyCode, HxModifierFlags::fromQt(event.modifiers()) & HxModifierFlags::KeyMask,
                target, selector);
}

HxHotKeyEventPtr HxHotKeyEvent::hotKeyWithPropertyList(const QVariantMap& propertyList)
{
    if (propertyList.isEmpty())
        return nullptr;
    HxHotKeyEventPtr hotKey =
        make(quint16(propertyList.value(kKeyCodeKey).toUInt()),
             propertyList.value(kModifierFlagsKey).toUInt(), nullptr, QString());
    if (hotKey) {
        hotKey->m_selectorPressed = propertyList.value(kSelectorPressedKey).toString();
        hotKey->m_selectorReleased = propertyList.value(kSelectorReleasedKey).toString();
    }
    return hotKey;
}

HxHotKeyEventPtr HxHotKeyEvent::hotKeyWithCoder(const QCborMap& archive)
{
    auto* hotKey = new HxHotKeyEvent(quint16(archive.value(kKeyCodeKey).toInteger()),
                                     quint32(archive.value(kModifierFlagsKey).toInteger()), nullptr,
                                     archive.value(kSelectorReleasedKey).toString(QString()));
    hotKey->m_selectorPressed = archive.value(kSelectorPressedKey).toString(QString());
    hotKey->m_isEnabled = 0;
    return adopt(hotKey);
}

HxHotKeyEventPtr HxHotKeyEvent::hotKeyWithCoder(QDataStream& archive)
{
    QString className;
    qint32 version = 0;
    quint16 keyCode = 0;
    quint32 modifierFlags = 0;
    QString released;
    QString pressed;
    archive >> className >> version >> keyCode;
    if (className == kOldClassName && version == 0) {
        quint16 oldCharacter = 0;
        archive >> oldCharacter;
    }
    archive >> modifierFlags >> released >> pressed;
    // A truncated or damaged archive gives no hot key rather than a made-up combination.
    if (archive.status() != QDataStream::Ok)
        return nullptr;
    auto* hotKey = new HxHotKeyEvent(keyCode, modifierFlags, nullptr, released);
    hotKey->m_selectorPressed = pressed;
    hotKey->m_isEnabled = 0;
    return adopt(hotKey);
}

HxHotKeyEventPtr HxHotKeyEvent::create()
{
    HX_ASSERTION(QStringLiteral("You can not initialize a Hot Key with the init method"));
    return nullptr;
}

QList<HxHotKeyEvent*> HxHotKeyEvent::allHotKeyEvents()
{
    return registry().values();
}

QString HxHotKeyEvent::registryDescription()
{
    QString text;
    for (HxHotKeyEvent* hotKey : std::as_const(registry()))
        text += hotKey->description();
    return text;
}

int HxHotKeyEvent::eventHandlerCallback(const HxHotKeyNotice& notice)
{
    if (notice.eventClass != kEventClassKeyboard) {
        HX_ASSERTION(QStringLiteral("Got event that is not a hot key event"));
        return 0;
    }
    if (!notice.hasHotKeyId)
        return kEventParameterNotFound;
    if (notice.signature != signature()) {
        HX_ASSERTION(QStringLiteral("Got hot key event with wrong signature"));
        return 0;
    }
    // Held for the length of the action, which may drop the last other reference.
    const HxHotKeyEventPtr hotKey = findHotKeyForId(notice.hotKeyId);
    if (!hotKey)
        return 0;
    if (notice.eventKind == kEventHotKeyPressed)
        hotKey->performHotKeyPressed();
    else if (notice.eventKind == kEventHotKeyReleased)
        hotKey->performHotKeyReleased();
    return 0;
}

void HxHotKeyEvent::targetDestroyed(HxHotKeyTarget* target)
{
    for (HxHotKeyEvent* hotKey : std::as_const(registry()))
        if (hotKey->m_target == target)
            hotKey->m_target = nullptr;
}

// --- One hot key ---

bool HxHotKeyEvent::addHotKey()
{
    if (registry().contains(hotKeyId())) {
        HX_PARAMETER_ASSERT(!registry().contains(hotKeyId()));
        return false;
    }
    registry().insert(hotKeyId(), this);
    m_inRegistry = true;
    return true;
}

void HxHotKeyEvent::removeHotKey()
{
    setEnabled(false);
    auto it = registry().find(hotKeyId());
    if (!m_inRegistry || it == registry().end() || it.value() != this) {
        HX_PARAMETER_ASSERT(registry().value(hotKeyId()) == this);
        return;
    }
    registry().erase(it);
    m_inRegistry = false;
}

bool HxHotKeyEvent::switchHotKey(bool on)
{
    if (on) {
        if (signature() == 0) {
            HX_ASSERTION(QStringLiteral("HotKeyEvent signature has not been set yet"));
            return false;
        }
        m_reference = HxKeyGrabber::instance().grab(m_keyCode, m_modifierFlags);
        return m_reference;
    }
    HxKeyGrabber::instance().ungrab(m_keyCode, m_modifierFlags);
    m_reference = false;
    return true;
}

bool HxHotKeyEvent::setEnableBit(int bit, bool flag, const char* failureFormat)
{
    if (!install())
        return false;
    const int other = bit == Individual ? Collective : Individual;
    const bool bitSet = m_isEnabled & bit;
    const bool otherSet = m_isEnabled & other;
    bool ok = true;
    if (flag && otherSet && !bitSet)
        ok = switchHotKey(true);
    else if (!flag && otherSet && bitSet)
        ok = switchHotKey(false);
    if (!ok) {
        qCWarning(lcHotKeys, failureFormat, flag ? "enable" : "disable");
        return false;
    }
    m_isEnabled = flag ? (m_isEnabled | bit) : (m_isEnabled & ~bit);
    return true;
}

bool HxHotKeyEvent::setEnabled(bool flag)
{
    return setEnableBit(Individual, flag, "%s failed ");
}

bool HxHotKeyEvent::setCollectiveEnabled(bool flag)
{
    return setEnableBit(Collective, flag, "%s failed");
}

bool HxHotKeyEvent::setTarget(HxHotKeyTarget* target, const QString& selectorReleased,
                              const QString& selectorPressed)
{
    // The old target may let go of its reference while it is asked.
    const HxHotKeyEventPtr keepAlive = weak_from_this().lock();
    setEnabled(false);
    if (m_target && m_target != target) {
        setEnabled(false);
        if (!m_target->targetWillChangeToObject(target, this))
            return false;
    }
    m_target = target;
    m_selectorReleased = selectorReleased;
    m_selectorPressed = selectorPressed;
    return true;
}

bool HxHotKeyEvent::isEqual(const HxHotKeyEvent* other) const
{
    return other == this ||
           (other && other->m_keyCode == m_keyCode && other->m_modifierFlags == m_modifierFlags);
}

QChar HxHotKeyEvent::character() const
{
    HxKeyboardLayout* l = layout();
    return l ? l->characterForKeyCode(m_keyCode) : QChar(0);
}

QString HxHotKeyEvent::stringValue() const
{
    HxKeyboardLayout* l = layout();
    return l ? l->stringForKeyCode(m_keyCode, m_modifierFlags) : QString();
}

void HxHotKeyEvent::performHotKeyPressed()
{
    if (!m_target) {
        HX_ASSERTION(QStringLiteral("HxHotKeyEvent tried to perfrom press with no target"));
        return;
    }
    perform(PressEvent, m_selectorPressed);
}

void HxHotKeyEvent::performHotKeyReleased()
{
    if (!m_target) {
        HX_ASSERTION(QStringLiteral("HxHotKeyEvent tried to perfrom release with no target"));
        return;
    }
    perform(ReleaseEvent, m_selectorReleased);
}

void HxHotKeyEvent::perform(EventType type, const QString& selector)
{
    const HxHotKeyEventPtr keepAlive = weak_from_this().lock();
    m_currentEventType = type;
    if (!selector.isEmpty()) {
        if (m_target->respondsToAction(selector))
            m_target->performAction(selector, this);
        else if (auto* list = dynamic_cast<HxHotKeyTargetList*>(m_target))
            list->makeObjectsPerformAction(selector, this);
    }
    m_currentEventType = NoEvent;
}

QVariantMap HxHotKeyEvent::propertyList() const
{
    return {{kKeyCodeKey, uint(m_keyCode)},
            {kModifierFlagsKey, uint(m_modifierFlags)},
            {kSelectorPressedKey, m_selectorPressed},
            {kSelectorReleasedKey, m_selectorReleased}};
}

void HxHotKeyEvent::encodeWithCoder(QCborMap& archive) const
{
    archive.insert(kKeyCodeKey, m_keyCode);
    archive.insert(kModifierFlagsKey, qint64(m_modifierFlags));
    if (!m_selectorReleased.isNull())
        archive.insert(kSelectorReleasedKey, m_selectorReleased);
    if (!m_selectorPressed.isNull())
        archive.insert(kSelectorPressedKey, m_selectorPressed);
}

void HxHotKeyEvent::encodeWithCoder(QDataStream& archive) const
{
    archive << kClassName << kClassVersion << m_keyCode << m_modifierFlags << m_selectorReleased
            << m_selectorPressed;
}

QString HxHotKeyEvent::description() const
{
    return QStringLiteral("{\n\tKey Combination: %1,\n\tEnabled: %2\n\tKey Press Selector: %3\n"
                          "\tKey Release Selector: %4\n}\n")
        .arg(nameOrNull(stringValue()), isEnabled() ? QStringLiteral("yes") : QStringLiteral("no"),
             nameOrNull(m_selectorPressed), nameOrNull(m_selectorReleased));
}
