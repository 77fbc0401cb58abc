// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// Selections through which X clients announce a service (a compositing
// manager, a system tray). Main thread only.
namespace X11Selection {

// Whether a client owns the selection now, asked on Qt's X connection; false
// where Qt does not run on X11.
bool hasOwner(const QByteArray& name);

} // namespace X11Selection
