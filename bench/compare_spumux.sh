#!/usr/bin/env bash
# Converts a generated 3,000-entry two-line film with kestrelpix-cli and,
# beside it, renders the same film with dvdauthor's spumux (text subtitles,
# FreeType, the same face and size), and prints both CPU times and the ratio.
# Usage: bench/compare_spumux.sh [path/to/kestrelpix-cli]
set -euo pipefail
cli=${1:-build/src/kestrelpix-cli}
cli=$(realpath "$cli")
work=$(mktemp -d /tmp/kestrelpix-spumux-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

python3 - <<'PY'
def stamp(ms):
    return '%02d:%02d:%02d,%03d' % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)
with open('film.srt', 'w', newline='') as f:
    for i in range(1, 3001):
        start = i * 2500
        f.write('%d\r\n%s --> %s\r\nEntry %d: the tide turns at the harbour\r\nand the boats come home %d\r\n\r\n'
                % (i, stamp(start), stamp(start + 2000), i, i % 97))
PY

cpu_seconds() {  # user + system CPU of the command, in seconds
  local TIMEFORMAT='%U %S' t
  t=$( { time eval "$1" >/dev/null 2>&1; } 2>&1 | tail -1)
  awk '{ printf "%.3f", $1 + $2 }' <<<"$t"
}

ours=$(cpu_seconds "'$cli' convert --quiet film.srt")
echo "kestrelpix-cli: 3000 entries in ${ours} s CPU ($(awk -v s="$ours" 'BEGIN { printf "%.0f", 3000 / s }') entries/s)"

if ! command -v spumux >/dev/null; then
  echo "spumux is not installed; no comparison"
  exit 0
fi
font=$(fc-match -f '%{file}' 'Arial')
ffmpeg -v error -y -f lavfi -i color=black:s=64x64:r=25 -t 7510 -c:v mpeg2video -g 250 -b:v 20k -f dvd in.mpg
cat > spu.xml <<XML
<subpictures format="PAL"><stream>
<textsub filename="film.srt" characterset="UTF-8" fontsize="27.0" font="$font"
 horizontal-alignment="center" vertical-alignment="bottom" bottom-margin="70"
 subtitle-fps="25" movie-fps="25" movie-width="720" movie-height="576"/>
</stream></subpictures>
XML
theirs=$(cpu_seconds "spumux -s0 spu.xml < in.mpg > out.mpg")
echo "spumux:         3000 entries in ${theirs} s CPU"
awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "ratio: kestrelpix-cli is %.1f times as fast as spumux\n", a / b }'
