#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds a release build and starts VoiceTray.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/voicetray-ccache}"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCH=OFF >/dev/null
cmake --build build/release --target voicetray
exec build/release/src/voicetray "$@"
