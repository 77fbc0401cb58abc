// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HotKeysLog.h"

Q_LOGGING_CATEGORY(lcHotKeys, "voicetray.hotkeys", QtWarningMsg)
