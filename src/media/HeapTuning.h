// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the C library's heap serves the file jobs. Opening an hour-long
// MPEG-4 file builds a table of its every packet, several megabytes, and a
// join or a split opens its sources more than once. By default such blocks
// go back to the kernel when they are freed and come back as fresh pages,
// whose faults can cost more than the job's own work; saving and loading
// the library's file, megabytes of text, fare the same. The heap adapts to
// that by itself only after large blocks have been freed; the program
// starts as it would end up.
class HeapTuning
{
public:
    // Once, at the start, before other threads run.
    static void keepLargeBlocks();
};
