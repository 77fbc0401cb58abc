#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds VoiceTray and takes the pictures of the README (docs/) and of the
# AppStream metadata (resources/screenshots/) from the real program: Xvfb
# with openbox and trayer as the desktop, a private PulseAudio daemon whose
# sine source is the microphone, a small library in a private home folder,
# and xdotool as the user.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/voicetray-ccache}"
build=build/screenshots
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_TESTS=OFF \
  -DVT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target voicetray >/dev/null
voicetray=$PWD/$build/src/voicetray

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Runs the command until it succeeds, for at most 15 s.
until_ok() {
  for _ in $(seq 150); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
# The same, ending the script when it never succeeds.
need() { until_ok "$@" || { echo "screenshots: gave up waiting for: $*" >&2; exit 1; }; }

# The desktop: a private display picked by Xvfb, a window manager and a tray.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
need grep -q . "$work/display"
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
need xprop -root _NET_SUPPORTING_WM_CHECK
setxkbmap us
# On a loaded machine trayer now and then never maps its panel; a second one does.
for attempt in 1 2; do
  trayer --edge top --align right --widthtype pixel --width 100 --height 30 \
    --transparent false >/dev/null 2>&1 &
  pids+=($!)
  until_ok xdotool search --onlyvisible --class trayer && break
  kill "${pids[-1]}"
  ((attempt < 2)) || { echo "screenshots: trayer did not start" >&2; exit 1; }
done

# The sound server, with the sine source as the microphone.
export XDG_RUNTIME_DIR=$work/runtime PULSE_SERVER=unix:$work/runtime/native
mkdir -m 700 "$XDG_RUNTIME_DIR"
cat >"$work/daemon.pa" <<EOF
load-module module-native-protocol-unix socket=$work/runtime/native auth-anonymous=1
load-module module-null-sink sink_name=speakers sink_properties="device.description='Speakers'"
set-default-sink speakers
load-module module-sine-source source_name=microphone rate=44100 frequency=440
update-source-proplist microphone device.description="Built-in Microphone"
set-default-source microphone
EOF
HOME=$work XDG_CONFIG_HOME=$work/config pulseaudio -n --daemonize=no --exit-idle-time=-1 \
  --use-pid-file=no --realtime=no --high-priority=no -F "$work/daemon.pa" >/dev/null 2>&1 &
pids+=($!)
need pactl info

# A private home with a small library, as after a few weeks of use.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
library="$HOME/Music/Voice Recordings"
tone() { ffmpeg -v error -nostdin -y -f lavfi -i "sine=frequency=440:duration=$2" -ac 2 \
  -c:a aac "$library/$1.m4a"; }
mkdir -p "$library/Meetings" "$library/Ideas" "$XDG_CONFIG_HOME/VoiceTray"
# Speech-like: phrases that swell and fade, with pauses between them.
ffmpeg -v error -nostdin -y -f lavfi -i "sine=frequency=220:duration=95" -ac 2 -c:a aac \
  -af "volume='0.15+0.85*abs(sin(t*1.3))*gt(sin(t/2.2),-0.4)*(0.5+0.5*sin(t/9))':eval=frame" \
  "$library/Meetings/Weekly planning.m4a"
tone "Meetings/Call with the printer" 42
tone "Ideas/Garden shed" 21
tone "Interview with Mrs Hill" 185
cat >"$library/RecordingsDB.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<Recordings>
    <Group ID="1" Title="Meetings" Expanded="1" Description="">
        <Item ID="2" Title="Weekly planning" Description="Budget, then the summer rota" CreateDate="03/11 09:02" Duration="95">
            <Mark Offset="31" ID="0" Description="Budget approved"/>
            <Mark Offset="70" ID="1" Description="Rota: ask Sam"/>
        </Item>
        <Item ID="3" Title="Call with the printer" Description="Proofs on Thursday" CreateDate="03/12 14:30" Duration="42"/>
    </Group>
    <Group ID="4" Title="Ideas" Expanded="0" Description="">
        <Item ID="5" Title="Garden shed" Description="" CreateDate="03/13 18:45" Duration="21"/>
    </Group>
    <Item ID="6" Title="Interview with Mrs Hill" Description="Local history project" CreateDate="03/14 10:15" Duration="185"/>
</Recordings>
EOF
# A weekly lecture planned for Thursday morning, written as the settings
# write it (a quoted string with its quotes escaped).
plan='{"start":"'$(date -d 'next thursday' +%F)'T10:15:00","repeat":"weekly","seconds":5400,'
plan+='"category":"Meetings","title":"Lecture — Thursday"}'
cat >"$XDG_CONFIG_HOME/VoiceTray/VoiceTray.conf" <<EOF
[General]
OutputFolder=$library
InputDevice=Built-in Microphone
HideDescrWnd=true
SkipSilence=true
RecordingPlans="[${plan//\"/\\\"}]"
ExportFormat=opus
ExportReduceNoise=true
ExportEvenLoudness=true
ExportFolder=/home/sam/Music/Shared
EOF

"$voicetray" >/dev/null 2>&1 &
pids+=($!)

# The pop-up's frame as "x y width height", when it is shown.
popup() {
  local id
  for id in $(xdotool search --onlyvisible --class voicetray 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if ((WIDTH > 200 && HEIGHT > 200)); then
      echo "$X $Y $WIDTH $HEIGHT"
      return 0
    fi
  done
  return 1
}
# Writes the region of the screen once it stopped changing (slides and
# repaints are over): two pictures in a row are the same.
shoot() {
  local out=$1 geometry=$2 previous=$work/previous.png
  import -window root -crop "$geometry" +repage "$previous"
  for _ in $(seq 50); do
    sleep 0.2
    import -window root -crop "$geometry" +repage "$out"
    [[ $(compare -metric AE "$out" "$previous" null: 2>&1) == 0 ]] && return 0
    cp "$out" "$previous"
  done
  echo "screenshots: the screen kept changing for $out" >&2
  return 1
}
# Whether a growing recording holds at least the whole seconds.
holds() {
  local last
  last=$(ffprobe -v error -select_streams a -show_entries packet=pts_time -of csv=p=0 "$1" \
    2>/dev/null | tail -1)
  [[ -n $last ]] && ((${last%.*} >= $2))
}

need popup
read -r x y w h <<<"$(popup)"
frame="${w}x${h}+${x}+${y}"
mkdir -p resources/screenshots docs
# The first recording of the list chosen, its marks on the strip below.
xdotool mousemove $((x + 60)) $((y + 115)) click 1
shoot resources/screenshots/recordings.png "$frame"
# Its waveform under the marks, at the foot of the pop-up.
shoot docs/waveform.png "${w}x110+${x}+$((y + h - 110))"

# The gear at the right end of the toolbar opens the preferences.
xdotool mousemove $((x + w - 21)) $((y + 33)) click 1
shoot resources/screenshots/preferences.png "$frame"
xdotool mousemove $((x + 21)) $((y + 33)) click 1

# Recording: the pop-up with the tray and its pulsing red microphone above it,
# taken as it is (the clock and the icon keep moving). A click on the empty
# part of the list first, so that the recording goes to the top level.
xdotool mousemove $((x + 170)) $((y + 350)) click 1
"$voicetray" --record
need holds "$library/Untitled 1.m4a" 4
import -window root -crop "$((w + 40))x$((y + h))+$((x - 40))+0" +repage docs/recording.png
"$voicetray" --record

# The frame of the window with the given title, as "x y width height":
# where X puts its inside, widened by the frame the window manager drew.
window() {
  local id x y w h left right top bottom
  id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
  [[ -n $id ]] || return 1
  read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF} /Width/ {w = $NF} /Height/ {h = $NF}
    END {print x, y, w, h}')
  IFS=', ' read -r left right top bottom < <(xprop -id "$id" _NET_FRAME_EXTENTS | cut -d= -f2)
  echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}

# The record button's menu, and from it the planned recordings.
xdotool mousemove $((x + 21)) $((y + 33)) click 3
shoot docs/stop-after.png "340x240+${x}+$((y + 18))"
xdotool key Up Return
need window "Planned Recordings"
read -r px py pw ph <<<"$(window "Planned Recordings")"
shoot docs/plans.png "${pw}x${ph}+${px}+${py}"
xdotool key Escape

# A recording that stops by itself: the tray's tool tip tells the time left
# and the next planned recording.
"$voicetray" --record --stop-after 15m
need holds "$library/Untitled 2.m4a" 4
read -r tx ty tw th <<<"$(for id in $(xdotool search --onlyvisible --class voicetray); do
  eval "$(xdotool getwindowgeometry --shell "$id")"
  ((WIDTH < 60)) && echo "$X $Y $WIDTH $HEIGHT" && break
done)"
xdotool mousemove $((tx + tw / 2)) $((ty + th / 2))
sleep 2
shoot docs/scripting.png "420x330+$((tx + tw + 4 - 420))+0"
"$voicetray" --stop

# The export of the first recording.
xdotool mousemove $((x + 60)) $((y + 115)) click 1 key ctrl+e
need window "Export"
read -r ex _ _ _ <<<"$(window "Export")"
shoot docs/export.png "480x560+$((ex - 10))+$((y - 2))"
xdotool key Escape
echo "screenshots: wrote docs/{recording,waveform,stop-after,plans,scripting,export}.png" \
  "and resources/screenshots/{recordings,preferences}.png"
