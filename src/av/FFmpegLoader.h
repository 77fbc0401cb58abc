// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Opens FFmpeg's libraries when the program first calls one of their
// functions, not at start: they and the libraries they need weigh some
// 17 MB, which a tray program that is not recording or converting does not
// have to carry. The functions themselves are jumps through a table, made at
// build time from the libraries' exports (cmake/FFmpegStubs.cmake).
class FFmpegLoader
{
public:
    struct Symbol
    {
        int library;
        const char* name;
    };

    // The address of function `index`; its library is opened on first use.
    // A library or function that cannot be found ends the program with a
    // message on standard error, as the dynamic loader would have at start.
    static void* resolve(size_t index);

    // avformat, avcodec, avfilter, swresample and avutil, with room to spare; the
    // build stops when more are found.
    static constexpr size_t kMaxLibraries = 8;
    static const char* const kLibraries[];
    static const Symbol kSymbols[];
};
