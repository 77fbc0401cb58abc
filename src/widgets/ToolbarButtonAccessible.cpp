// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ToolbarButtonAccessible.h"

#include "widgets/AccessibleFactory.h"
#include "widgets/ToolbarButton.h"

ToolbarButtonAccessible::ToolbarButtonAccessible(ToolbarButton* button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

void ToolbarButtonAccessible::installFactory()
{
    installAccessibleFactory<ToolbarButton, ToolbarButtonAccessible>();
}

ToolbarButton* ToolbarButtonAccessible::button() const
{
    return static_cast<ToolbarButton*>(widget());
}

QString ToolbarButtonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return button()->toolTip();
    return QAccessibleWidget::text(t);
}

QAccessible::State ToolbarButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.disabled = !button()->isEnabled();
    state.pressed = button()->isDown();
    return state;
}

QStringList ToolbarButtonAccessible::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void ToolbarButtonAccessible::doAction(const QString& actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (button()->isEnabled())
        button()->click();
}

QStringList ToolbarButtonAccessible::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == pressAction())
        return {QStringLiteral("Space")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
