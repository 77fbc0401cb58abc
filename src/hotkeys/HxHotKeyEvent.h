// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCborMap>
#include <QChar>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <memory>

class HxHotKeyTarget;
class QDataStream;
class QKeyEvent;

class HxHotKeyEvent;
using HxHotKeyEventPtr = std::shared_ptr<HxHotKeyEvent>;

// A four-character code such as 'HxHK' as one number.
constexpr quint32 hxFourCharCode(const char (&code)[5])
{
    return quint32(quint8(code[0])) << 24 | quint32(quint8(code[1])) << 16 |
           quint32(quint8(code[2])) << 8 | quint32(quint8(code[3]));
}

// What the event source hands to HxHotKeyEvent::eventHandlerCallback for one
// key event of a registered combination.
struct HxHotKeyNotice
{
    quint32 eventClass = 0; // HxHotKeyEvent::kEventClassKeyboard
    quint32 eventKind = 0;  // kEventHotKeyPressed or kEventHotKeyReleased
    bool hasHotKeyId = false;
    quint32 signature = 0;
    quint32 hotKeyId = 0;
};

// One system-wide key combination (a virtual key code and modifier flags)
// that fires whatever application has the focus. A process-wide registry
// keyed by hotKeyId (flags OR key code) knows every hot key without keeping
// it alive; the caller's shared pointers do. A hot key is grabbed on the X
// server exactly while both its individual and the collective switch are on.
// Presses and releases are sent to the target as named actions.
// Everything here, class operations included, is main thread only.
class HxHotKeyEvent : public std::enable_shared_from_this<HxHotKeyEvent>
{
public:
    enum EventType
    {
        NoEvent = 0,
        PressEvent = 1,
        ReleaseEvent = 2
    };

    static constexpr quint32 HxHotKeyDefaultSignature = hxFourCharCode("HxHK");
    static constexpr quint32 kEventClassKeyboard = hxFourCharCode("keyb");
    static constexpr quint32 kEventHotKeyPressed = 5;
    static constexpr quint32 kEventHotKeyReleased = 6;
    static constexpr int kEventParameterNotFound = -9870;
    static constexpr qint32 kClassVersion = 1;
    // The keys of the property list and of the keyed archive.
    static inline const QString kKeyCodeKey = QStringLiteral("KeyCodeKey");
    static inline const QString kModifierFlagsKey = QStringLiteral("ModifierFlagsKey");
    static inline const QString kSelectorPressedKey = QStringLiteral("SelectorPressedCodeKey");
    static inline const QString kSelectorReleasedKey = QStringLiteral("SelectorReleasedCodeKey");

    ~HxHotKeyEvent();
    HxHotKeyEvent(const HxHotKeyEvent&) = delete;
    HxHotKeyEvent& operator=(const HxHotKeyEvent&) = delete;

    // --- Process-wide operations ---

    // Installs the one event filter that receives the grabbed keys; false
    // (logged once) where there is no X11 connection.
    static bool install();
    static void uninstall();
    static bool isInstalled();

    static void setSignature(quint32 signature);
    static quint32 signature();

    // The collective switch of every hot key; true when every one followed.
    static bool setAllEnabled(bool flag);

    static HxHotKeyEventPtr findHotKeyForId(quint32 hotKeyId);
    static HxHotKeyEventPtr findHotKeyForKeyCode(quint16 keyCode, quint32 modifierFlags);
    static HxHotKeyEventPtr findHotKeyForKeyCharacter(QChar character, quint32 modifierFlags);
    // The registered hot key for the combination, or a new one without target.
    static HxHotKeyEventPtr getHotKeyForKeyCode(quint16 keyCode, quint32 modifierFlags);
    static HxHotKeyEventPtr getHotKeyForKeyCode(quint16 keyCode, QChar character,
                                                quint32 modifierFlags);
    static HxHotKeyEventPtr getHotKeyForKeyCharacter(QChar character, quint32 modifierFlags);
    static bool isEnabledKeyCode(quint16 keyCode, quint32 modifierFlags);
    static bool isEnabledKeyCharacter(QChar character, quint32 modifierFlags);

    // Factories: a new hot key, or null when the combination already has one
    // (an assertion: use the get operations) or the arguments make none.
    static HxHotKeyEventPtr hotKeyWithKeyCode(quint16 keyCode, quint32 modifierFlags,
                                              HxHotKeyTarget* target = nullptr,
                                              const QString& selector = {});
    static HxHotKeyEventPtr hotKeyWithKeyCode(quint16 keyCode, QChar character,
                                              quint32 modifierFlags,
                                              HxHotKeyTarget* target = nullptr,
                                              const QString& selector = {});
    static HxHotKeyEventPtr hotKeyWithKeyCharacter(QChar character, quint32 modifierFlags,
                                                   HxHotKeyTarget* target = nullptr,
                                                   const QString& selector = {});
    static HxHotKeyEventPtr hotKeyWithEvent(const QKeyEvent& event,
                                            HxHotKeyTarget* target = nullptr,
                                            const QString& selector = {});
    static HxHotKeyEventPtr hotKeyWithPropertyList(const QVariantMap& propertyList);
    // Archives: keyed (CBOR map) and sequential (data stream).
    static HxHotKeyEventPtr hotKeyWithCoder(const QCborMap& archive);
    static HxHotKeyEventPtr hotKeyWithCoder(QDataStream& archive);
    // A hot key without a combination is refused: assertion, null.
    static HxHotKeyEventPtr create();

    static QList<HxHotKeyEvent*> allHotKeyEvents();
    static QString registryDescription();

    // Entry point of the event source; answers 0 or an error code.
    static int eventHandlerCallback(const HxHotKeyNotice& notice);

    // Called by a target that goes away.
    static void targetDestroyed(HxHotKeyTarget* target);

    // --- One hot key ---

    bool setEnabled(bool flag);
    bool setIsEnabled(bool flag) { return setEnabled(flag); }
    bool setCollectiveEnabled(bool flag);
    bool collectiveEnable() const { return m_isEnabled & Collective; }
    bool individualEnable() const { return m_isEnabled & Individual; }
    bool isEnabled() const
    {
        return (m_isEnabled & (Individual | Collective)) == (Individual | Collective);
    }
    // Whether the combination is grabbed on the X server now.
    bool reference() const { return m_reference; }

    // Disables the hot key (the caller enables it again), asks the current
    // target, then stores the new target and actions.
    bool setTarget(HxHotKeyTarget* target, const QString& selectorReleased,
                   const QString& selectorPressed);
    bool setTarget(HxHotKeyTarget* target, const QString& selector)
    {
        return setTarget(target, selector, QString());
    }

    HxHotKeyTarget* target() const { return m_target; }
    QString selector() const { return m_selectorReleased; }
    QString selectorReleased() const { return m_selectorReleased; }
    QString selectorPressed() const { return m_selectorPressed; }
    int currentEventType() const { return m_currentEventType; }
    quint16 keyCode() const { return m_keyCode; }
    quint32 modifierFlags() const { return m_modifierFlags; }
    quint32 hotKeyId() const { return m_modifierFlags | m_keyCode; }
    quint32 hash() const { return m_keyCode ^ m_modifierFlags; }
    bool isEqual(const HxHotKeyEvent* other) const;

    QChar character() const;
    QString stringValue() const;

    void performHotKeyPressed();
    void performHotKeyReleased();

    QVariantMap propertyList() const;
    void encodeWithCoder(QCborMap& archive) const;
    void encodeWithCoder(QDataStream& archive) const;
    QString description() const;

    // Takes the hot key out of the registry (after disabling it).
    void removeHotKey();

private:
    enum EnableBits
    {
        Individual = 1,
        Collective = 2
    };

    HxHotKeyEvent(quint16 keyCode, quint32 modifierFlags, HxHotKeyTarget* target,
                  const QString& selector);
    static HxHotKeyEventPtr make(quint16 keyCode, quint32 modifierFlags, HxHotKeyTarget* target,
                                 const QString& selector);
    static HxHotKeyEventPtr adopt(HxHotKeyEvent* hotKey);

    bool addHotKey();
    bool switchHotKey(bool on);
    bool setEnableBit(int bit, bool flag, const char* failureFormat);
    void perform(EventType type, const QString& selector);

    bool m_reference = false;
    quint16 m_keyCode;
    quint32 m_modifierFlags;
    int m_currentEventType = NoEvent;
    HxHotKeyTarget* m_target;
    QString m_selectorReleased;
    QString m_selectorPressed;
    int m_isEnabled = Collective;
    bool m_inRegistry = false;
};
