#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that VoiceTray needs.
# Usage: scripts/deps.sh [run|test]
#   run   (the default) what building and running need. The program talks to
#         the desktop's sound server through the PulseAudio client library,
#         which PipeWire desktops (Debian 12's default) serve as well, so no
#         sound server is installed.
#   test  adds what the tests need: their own PulseAudio daemon and PipeWire
#         (with WirePlumber and its PulseAudio server), X server, window
#         manager, trays (trayer and xfce4-panel), D-Bus bus, Wayland
#         compositor, GStreamer's discoverer and tools.
set -euo pipefail

mode=${1:-run}
run_pkgs=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins libqt6svg6
  libavformat-dev libavcodec-dev libavfilter-dev libswresample-dev libavutil-dev
  libpulse-dev libpugixml-dev
  libxkbcommon-dev libxkbcommon-x11-dev libxcb1-dev
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n xdg-utils
  fonts-dejavu-core
)
test_pkgs=(
  libgtest-dev libgmock-dev libbenchmark-dev
  pulseaudio pulseaudio-utils ffmpeg
  pipewire pipewire-pulse wireplumber
  gstreamer1.0-tools gstreamer1.0-plugins-base-apps gstreamer1.0-plugins-good gstreamer1.0-libav
  xvfb openbox trayer xfce4-panel xfconf xdotool imagemagick x11-xkb-utils x11-utils
  dbus-daemon weston xwayland
  desktop-file-utils appstream dpkg-dev clang-format python3 gdb
)

case "$mode" in
  run) pkgs=("${run_pkgs[@]}") ;;
  test) pkgs=("${run_pkgs[@]}" "${test_pkgs[@]}") ;;
  *) echo "Usage: $0 [run|test]" >&2; exit 2 ;;
esac

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
