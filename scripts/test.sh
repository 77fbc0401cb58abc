#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs the whole suite twice: once in a
# normal build and once under AddressSanitizer + UndefinedBehaviorSanitizer.
# The tests start their own PulseAudio daemon and X server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

# Unformatted code fails the run before anything is built.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/voicetray-ccache}"
jobs=$(nproc)

status=0
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs") || status=1
}

run_suite build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build/sanitize -DCMAKE_BUILD_TYPE=Debug -DVT_SANITIZE=ON -DVT_BUILD_BENCH=OFF
exit $status
