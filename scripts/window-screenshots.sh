#!/usr/bin/env bash
# Screenshots of the window on common screens, each under its own Xvfb with
# the openbox window manager and a 30-pixel panel at the bottom: 1280x720
# and 1366x768 at scale 1, 2560x1440 with QT_SCALE_FACTOR=2. The sample
# subtitle is loaded from the keyboard (Alt+L, the file name, Enter, and
# Enter for the message that follows), then a click previews the second
# entry.
# Usage: scripts/window-screenshots.sh BUILD_DIR OUT_DIR (the program is
# BUILD_DIR/src/kestrelpix)
set -euo pipefail

build=$(cd "${1:?build folder}" && pwd)
out=$(mkdir -p "${2:?output folder}" && cd "$2" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
for tool in Xvfb openbox xwd xdotool ffmpeg; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

shot() {
  local width=$1 height=$2 scale=$3 name=$4
  local display=:$((90 + RANDOM % 500))
  local panel=$((30 * scale))
  sed "s|<bottom>0</bottom>|<bottom>${panel}</bottom>|" /etc/xdg/openbox/rc.xml >"$work/rc.xml"
  Xvfb "$display" -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
  local xvfb=$!
  pids+=("$xvfb")
  for _ in $(seq 50); do DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
  DISPLAY=$display openbox --config-file "$work/rc.xml" >/dev/null 2>&1 &
  local wm=$!
  pids+=("$wm")
  sleep 1
  # A fresh program folder: first start, no stored settings.
  rm -rf "$work/app" && mkdir "$work/app" && cp "$build/src/kestrelpix" "$work/app/"
  DISPLAY=$display QT_SCALE_FACTOR=$scale "$work/app/kestrelpix" >/dev/null 2>&1 &
  local app=$!
  pids+=("$app")
  DISPLAY=$display xdotool search --sync --name '^Kestrelpix By Morvane$' >/dev/null
  sleep 1.5
  DISPLAY=$display xdotool key alt+l
  sleep 1.5
  DISPLAY=$display xdotool type --delay 5 "$source_dir/examples/sample.srt"
  DISPLAY=$display xdotool key Return
  # "Subtitle Style Modified/Loaded Successfully": OK.
  sleep 3
  DISPLAY=$display xdotool key Return
  sleep 1
  # A click on the second entry of the list (top right of the window's
  # lower half) previews it and shows the list's focus frame.
  local geometry
  geometry=$(DISPLAY=$display xdotool search --name '^Kestrelpix By Morvane$' getwindowgeometry --shell)
  local X Y WIDTH
  X=$(sed -n 's/^X=//p' <<<"$geometry")
  Y=$(sed -n 's/^Y=//p' <<<"$geometry")
  WIDTH=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
  DISPLAY=$display xdotool mousemove $((X + WIDTH - 150 * scale)) $((Y + 193 * scale)) click 1
  sleep 1.5
  DISPLAY=$display xwd -root -silent >"$work/shot.xwd"
  ffmpeg -loglevel error -y -i "$work/shot.xwd" "$work/shot.png"
  mv "$work/shot.png" "$out/$name"
  kill "$app" "$wm" "$xvfb" 2>/dev/null || true
  wait "$app" "$wm" "$xvfb" 2>/dev/null || true
  echo "$out/$name"
}

shot 1280 720 1 screenshot-main-window.png
shot 1366 768 1 screenshot-1366x768.png
shot 2560 1440 2 screenshot-2560x1440-scale2.png
