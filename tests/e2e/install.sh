#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The install tree and the Debian package as a distribution or a user gets
# them: a staged install with its validators, and the .deb installed into and
# removed from a throwaway root. Usage: install.sh <build folder>
set -euo pipefail
build=$1
id=io.github.voicetray.VoiceTray
sizes=(16 22 24 32 48 64 128 256)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream dpkg-shlibdeps:dpkg-dev; do
  command -v "${tool%%:*}" >/dev/null || { echo "${tool%%:*} is missing: apt-get install ${tool#*:}" >&2; exit 1; }
done

# Every file in place, the icons drawn at their sizes, the metadata valid.
check_tree() {
  local prefix=$1
  for file in bin/voicetray share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
              share/icons/hicolor/scalable/apps/$id.svg; do
    [[ -f $prefix/$file ]] || fail "missing $file"
  done
  for size in "${sizes[@]}"; do
    local icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
    [[ $(identify -format '%wx%h' "$icon" 2>/dev/null) == "${size}x${size}" ]] || fail "icon $size"
    local alpha
    alpha=$(convert "$icon" -format "%[fx:int(255*p{$((size / 2)),$((size / 2))}.a)]" info: 2>/dev/null || echo 0)
    ((alpha > 200)) || fail "icon $size is blank in the middle"
  done
  local out
  out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) && [[ -z $out ]] ||
    fail "desktop-file-validate: $out"
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null 2>&1 ||
    fail "appstreamcli validate"
}

DESTDIR=$work/stage cmake --install "$build" --prefix /usr >/dev/null
check_tree "$work/stage/usr"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pack" >/dev/null
deb=$(ls "$work"/pack/voicetray_*.deb)
info=$(dpkg-deb --field "$deb" Package Depends Recommends Description)
for dependency in libqt6widgets6 libavformat libpulse0 libxkbcommon-x11-0 qt6-qpa-plugins \
                  "Description: voice recorder in the system tray"; do
  grep -q "$dependency" <<<"$info" || fail "package lacks $dependency"
done
# Every dependency can be met from the Debian archive this machine knows.
apt-get install --simulate --no-install-recommends "$deb" >/dev/null 2>&1 || fail "apt-get --simulate"

# Into an empty root and out again, leaving nothing behind.
root=$work/root
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
touch "$root/var/lib/dpkg/status"
dpkg=(dpkg --root="$root" --log=/dev/null --force-not-root --force-depends)
"${dpkg[@]}" --install "$deb" >/dev/null
check_tree "$root/usr"
[[ $(dpkg-query --root="$root" --show --showformat='${Status}' voicetray) == "install ok installed" ]] ||
  fail "dpkg-query"
"${dpkg[@]}" --purge voicetray >/dev/null
left=$(find "$root/usr" -type f 2>/dev/null || true)
[[ -z $left ]] || fail "left after purge: $left"

((failures == 0)) && echo "install and package: passed"
exit $((failures > 0))
