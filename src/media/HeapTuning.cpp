// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/HeapTuning.h"

#include <malloc.h>

namespace {

// Blocks up to this size come from the heap rather than from mappings of
// their own: the packet tables of recordings of several hours. The C
// library raises its own threshold up to this size as large blocks are freed.
constexpr int kMapThreshold = 32 << 20;
// Free memory at the heap's top kept for the next allocation; the C library
// would let it grow to twice the threshold.
constexpr int kTrimThreshold = 32 << 20;

} // namespace

void HeapTuning::keepLargeBlocks()
{
    mallopt(M_MMAP_THRESHOLD, kMapThreshold);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
}
