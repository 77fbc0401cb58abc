// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes the bytes, making the folders on the way; a failure fails the test.
void writeFile(const QString& path, const QByteArray& bytes = "audio");
// The file's bytes, or nothing when it cannot be read.
QByteArray readFile(const QString& path);
// Every file and folder under a folder, hidden ones too, relative to it, sorted.
QStringList listing(const QString& folder);
