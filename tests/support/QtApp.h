// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QApplication;

// The one QApplication of a test process, made on first use.
QApplication& qtApp();
