// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ToolbarButtonAccessible.h"

#include "shell/ToolbarButton.h"

namespace {

QAccessibleInterface* toolbarButtonFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ToolbarButton"))
        if (auto* button = qobject_cast<ToolbarButton*>(object))
            return new ToolbarButtonAccessible(button);
    return nullptr;
}

} // namespace

ToolbarButtonAccessible::ToolbarButtonAccessible(ToolbarButton* button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

void ToolbarButtonAccessible::installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(toolbarButtonFactory);
        return true;
    }();
    Q_UNUSED(installed);
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
