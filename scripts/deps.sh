#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that VoiceTray needs to build, run and test.
# Usage: scripts/deps.sh [run|test]
set -euo pipefail

run_pkgs=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins libqt6svg6
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libpulse-dev pulseaudio pulseaudio-utils
  libxkbcommon-dev libxkbcommon-x11-dev libxcb1-dev
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n xdg-utils
  fonts-dejavu-core
)
test_pkgs=(
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg xvfb openbox trayer xdotool imagemagick x11-xkb-utils x11-utils
  desktop-file-utils appstream dpkg-dev clang-format python3
)

pkgs=("${run_pkgs[@]}" "${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
