// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QKeyCombination>
#include <optional>

// Earlier versions kept a hot key as a CBOR map of a key position (a virtual
// key code: R is 15, F5 is 96) and modifier bits. This reads such a map into
// the key that the current keyboard layout (the US one where no X server
// tells it) has at that position. Nothing when the bytes hold no valid
// combination. Main thread only.
std::optional<QKeyCombination> readLegacyHotKeyArchive(const QByteArray& bytes);
