// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>

// Installs, once per process, the factory that gives screen readers the
// Interface of each Widget: Qt asks it for every class in the widget's
// chain, so only Widget's own name answers.
template <class Widget, class Interface> void installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(
            [](const QString& className, QObject* object) -> QAccessibleInterface* {
                if (className == QLatin1String(Widget::staticMetaObject.className()))
                    if (auto* widget = qobject_cast<Widget*>(object))
                        return new Interface(widget);
                return nullptr;
            });
        return true;
    }();
    Q_UNUSED(installed);
}
