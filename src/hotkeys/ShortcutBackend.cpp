// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/ShortcutBackend.h"

ShortcutBackend::~ShortcutBackend() = default;
