#!/usr/bin/env bash
# Converts a generated two-line film (1,000 entries unless told otherwise)
# with kestrelpix-cli and, beside it, renders the same film with dvdauthor's
# spumux (text subtitles, FreeType, the same face and size), each as a whole
# process: start-up, reading the subtitle and writing the output included.
# Each program runs three times; the best wall-clock and CPU (user + system)
# times are printed side by side with their ratios.
# Usage: bench/compare_spumux.sh [path/to/kestrelpix-cli [ENTRIES]]
set -euo pipefail
cli=${1:-build/src/kestrelpix-cli}
entries=${2:-1000}
cli=$(realpath "$cli")
work=$(mktemp -d /tmp/kestrelpix-spumux-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

python3 - "$entries" <<'PY'
import sys
entries = int(sys.argv[1])
def stamp(ms):
    return '%02d:%02d:%02d,%03d' % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)
with open('film.srt', 'w', newline='') as f:
    for i in range(1, entries + 1):
        start = i * 2500
        f.write('%d\r\n%s --> %s\r\nEntry %d: the tide turns at the harbour\r\nand the boats come home %d\r\n\r\n'
                % (i, stamp(start), stamp(start + 2000), i, i % 97))
PY

# Best of three runs of the command: "WALL CPU" in seconds.
best_times() {
  local TIMEFORMAT='%R %U %S' t best_wall= best_cpu= wall cpu
  for _ in 1 2 3; do
    t=$( { time eval "$1" >/dev/null 2>&1; } 2>&1 | tail -1)
    wall=$(awk '{ print $1 }' <<<"$t")
    cpu=$(awk '{ printf "%.3f", $2 + $3 }' <<<"$t")
    if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
      best_wall=$wall
    fi
    if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
      best_cpu=$cpu
    fi
  done
  echo "$best_wall $best_cpu"
}

read -r our_wall our_cpu < <(best_times "'$cli' convert --quiet film.srt")

if ! command -v spumux >/dev/null; then
  printf 'kestrelpix-cli: %d entries in %s s wall, %s s CPU\n' "$entries" "$our_wall" "$our_cpu"
  echo "spumux is not installed; no comparison"
  exit 0
fi
font=$(fc-match -f '%{file}' 'Arial')
seconds=$((entries * 5 / 2 + 10))
ffmpeg -v error -y -f lavfi -i color=black:s=64x64:r=25 -t "$seconds" -c:v mpeg2video -g 250 \
  -b:v 20k -f dvd in.mpg
cat > spu.xml <<XML
<subpictures format="PAL"><stream>
<textsub filename="film.srt" characterset="UTF-8" fontsize="27.0" font="$font"
 horizontal-alignment="center" vertical-alignment="bottom" bottom-margin="70"
 subtitle-fps="25" movie-fps="25" movie-width="720" movie-height="576"/>
</stream></subpictures>
XML
read -r their_wall their_cpu < <(best_times "spumux -s0 spu.xml < in.mpg > out.mpg")

printf '%d entries, whole process, best of 3   wall (s)   CPU (s)\n' "$entries"
printf '  kestrelpix-cli                      %8s  %8s\n' "$our_wall" "$our_cpu"
printf '  spumux                              %8s  %8s\n' "$their_wall" "$their_cpu"
awk -v tw="$their_wall" -v ow="$our_wall" -v tc="$their_cpu" -v oc="$our_cpu" 'BEGIN {
  printf "ratio: kestrelpix-cli is %.1f times as fast as spumux in wall-clock time, %.1f in CPU time\n",
         tw / ow, tc / oc }'
