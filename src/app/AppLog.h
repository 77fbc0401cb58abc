// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// Start-up, single instance and desktop integration. Warnings only unless
// QT_LOGGING_RULES asks for more (e.g. "voicetray.app.info=true").
Q_DECLARE_LOGGING_CATEGORY(lcApp)
