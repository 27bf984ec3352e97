#!/usr/bin/env bash
# Takes the README's screenshot: the built program under a private Xvfb with
# openbox, a test in progress, the main window cropped out of the screen.
#   tools/screenshot.sh [BUILD_DIR [OUTPUT.png]]   (build/, docs/screenshot.png)
# Needs a build with its tests (for tests/write_datafile, which sets continuous
# mode), Xvfb, openbox, xdotool and ImageMagick (tools/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
output=$(realpath -m "${2:-docs/screenshot.png}")
# At 60 bpm in continuous mode the first bar line comes 6 s after START
# (the 2 s wait and a count-in bar of 4 s); a tap on each of its first
# three beats puts dots on the strip under the notes.
first_bar=6
taps=3
# START's centre in the main window's client area, under the menu bar.
start_x=363 start_y=346
client_height=625

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/displayfd"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/displayfd")"
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_DATA_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset XAUTHORITY

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

"$build/tests/write_datafile" "$XDG_DATA_HOME/Velvane" tickspeed=60 listenplay=0
"$build/velvane" >"$work/velvane.log" 2>&1 &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --pid "${pids[-1]}" | head -n1)
sleep 1
# The window's place on the screen (inside openbox's frame) and its size.
read -r x y width height < <(xwininfo -id "$window" | awk '
  /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
menu=$((height - client_height))
xdotool mousemove --window "$window" "$start_x" $((menu + start_y)) click 1
pressed=$(date +%s.%N)
# One xdotool reading its commands: a process per tap would come late.
exec 4> >(xdotool -)
for ((k = 0; k < taps; ++k)); do
  sleep "$(awk -v p="$pressed" -v t="$(date +%s.%N)" -v k="$k" -v b="$first_bar" 'BEGIN {d = p + b + k - t; print (d > 0 ? d : 0)}')"
  echo "key x" >&4
done
exec 4>&-
sleep 0.5
xdotool mousemove --window "$window" 0 $((height - 1))
mkdir -p "$(dirname "$output")"
import -window root -crop "${width}x${height}+${x}+${y}" +repage -strip -colors 64 "$output"
echo "$output"
