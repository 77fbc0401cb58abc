// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>
#include <cstdint>
#include <map>
#include <memory>

// The library sizes the library and outline benchmarks run at: 10,000
// recordings in 500 categories and 100,000 in 2,000.
inline void librarySizes(benchmark::internal::Benchmark* b)
{
    b->Args({10000, 500})->Args({100000, 2000})->ArgNames({"recordings", "categories"});
}

// One library per size, made on first use (from the recordings and the
// categories) and kept for the other benchmarks of that size. clear() lets
// them go before the application object does.
template <class Library> class LibrariesBySize
{
public:
    Library& of(const benchmark::State& state)
    {
        std::unique_ptr<Library>& made = m_made[state.range(0)];
        if (!made)
            made = std::make_unique<Library>(int(state.range(0)), int(state.range(1)));
        return *made;
    }
    void clear() { m_made.clear(); }

private:
    std::map<int64_t, std::unique_ptr<Library>> m_made;
};
