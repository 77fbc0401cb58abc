// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The recorder engine: capture and the file writer. Warnings only unless
// QT_LOGGING_RULES asks for more (e.g. "voicetray.audio.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
