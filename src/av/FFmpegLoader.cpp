// SPDX-License-Identifier: GPL-3.0-or-later
#include "av/FFmpegLoader.h"

#include <QtGlobal>
#include <array>
#include <dlfcn.h>
#include <mutex>

extern "C" {
extern void* vt_ffmpeg_slots[];
void* vt_ffmpeg_resolve(size_t index);
}

namespace {

[[noreturn]] void fail(const char* what)
{
    const char* reason = dlerror();
    qFatal("Cannot load %s: %s", what, reason ? reason : "missing");
}

void* open(int library)
{
    static std::array<std::once_flag, FFmpegLoader::kMaxLibraries> once;
    static std::array<void*, FFmpegLoader::kMaxLibraries> handles{};
    std::call_once(once[size_t(library)], [library] {
        handles[size_t(library)] = dlopen(FFmpegLoader::kLibraries[library], RTLD_NOW | RTLD_LOCAL);
    });
    if (!handles[size_t(library)])
        fail(FFmpegLoader::kLibraries[library]);
    return handles[size_t(library)];
}

} // namespace

void* FFmpegLoader::resolve(size_t index)
{
    const Symbol& symbol = kSymbols[index];
    void* address = dlsym(open(symbol.library), symbol.name);
    if (!address)
        fail(symbol.name);
    // Threads that race here store the same address; a jump that still
    // reads the old entry only resolves once more.
    __atomic_store_n(&vt_ffmpeg_slots[index], address, __ATOMIC_RELEASE);
    return address;
}

void* vt_ffmpeg_resolve(size_t index)
{
    return FFmpegLoader::resolve(index);
}
