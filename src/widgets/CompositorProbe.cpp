// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/CompositorProbe.h"

#include "widgets/X11Selection.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

bool CompositorProbe::isCompositing()
{
    // Other platforms (Wayland, offscreen) always composite.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return true;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    return X11Selection::hasOwner("_NET_WM_CM_S0");
}
