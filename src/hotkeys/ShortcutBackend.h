// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>
#include <QList>
#include <QObject>
#include <QString>

// A global shortcut as a program asks for it.
struct GlobalShortcut
{
    QString id;
    // What it does, for a desktop that shows its shortcuts to the user.
    QString description;
    QKeyCombination keys;
};

// A way for global shortcuts to reach the program whatever window has the
// focus: key grabs on the X server, or the desktop's global shortcuts
// portal. Main thread only.
class ShortcutBackend : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~ShortcutBackend() override;

    // Makes exactly these shortcuts reach the program; the ones bound before are let go first.
    virtual void bind(const QList<GlobalShortcut>& shortcuts) = 0;
    // Lets go of every shortcut.
    virtual void unbind() = 0;
    // The keys of the shortcut as the user reads them, while they reach the
    // program; empty while they do not.
    virtual QString keys(const QString& id) const = 0;

signals:
    // A bound shortcut was pressed.
    void activated(const QString& id);
    // keys() or the state of the back end changed.
    void changed();
};
