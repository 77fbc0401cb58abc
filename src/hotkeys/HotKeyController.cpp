// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HotKeyController.h"

HotKeyController::~HotKeyController() = default;
