// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class ToolbarButton;

// A toolbar button for screen readers: a button named by its tool tip
// (unless it has a name of its own), described by it too, and disabled
// whenever the button shows its disabled picture, although the widget itself
// stays enabled for its tool tip. Main thread only.
class ToolbarButtonAccessible : public QAccessibleWidget
{
public:
    explicit ToolbarButtonAccessible(ToolbarButton* button);

    // Makes Qt ask this class for every toolbar button; once per process.
    static void installFactory();

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    ToolbarButton* button() const;
};
