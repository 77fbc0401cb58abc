// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <cstdint>

// The header of a fragmented MPEG-4 file as the muxer wrote it, edited in
// place before the first fragment follows it.
namespace Mp4Header {

// The header bytes (the file's start, holding its whole movie box) with an
// edit list in the one track that plays from the given media time to the end
// of the media. The tag box makes room for it, so that the header keeps its
// size and nothing after it moves. Empty when the header is not such a
// header, already has edits, or has no room.
QByteArray withEdit(const QByteArray& header, uint32_t mediaTime);

} // namespace Mp4Header
