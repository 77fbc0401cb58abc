// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// Grabs, registrations and their failures. Warnings only unless
// QT_LOGGING_RULES asks for more (e.g. "voicetray.hotkeys.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcHotKeys)
