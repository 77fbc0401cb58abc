// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A file worth keeping after a run, such as the screen when an X test
// failed: <build folder>/test-artefacts/<name>. The folder is made on first
// use; outside ctest it lies in the system temporary folder.
QString artefact(const QString& name);
