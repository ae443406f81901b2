#!/usr/bin/env bash
# Large work, run by hand: too long for the test suite. Results go to
# docs/reliability.md.
#
#  1. SubRip films of 50,000, 100,000 and 200,000 two-line entries converted
#     with the default settings: time and peak memory of `convert`, and the
#     peak memory of `list`, which loads the same document, so that the
#     difference (everything but the document) can be seen to stay flat.
#     Both peaks are reached while the entry list grows during the load,
#     so a second run samples the resident memory while the entries are
#     converted: it must not grow from the first entries to the last.
#     ffprobe reads the 200,000-entry pair completely.
#  2. A film of 240,000 dense entries (nine packs each) whose .sub passes
#     4 GiB: every index position, those past 0xFFFFFFFF included, must
#     point at a pack start whose time stamp is the line's time, and
#     ffprobe must read every subtitle. Needs about 4.5 GB free in the
#     work folder; the files are deleted afterwards.
#
#   scripts/large-runs.sh [BUILD_DIR]        (default: build)
#   SKIP_4GIB=1 scripts/large-runs.sh        only run 1 (the films)
#   ONLY_4GIB=1 scripts/large-runs.sh        only run 2 (past 4 GiB)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
cli="$PWD/$build/src/kestrelpix-cli"
[ -x "$cli" ] || { echo "build $cli first" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrelpix-large-XXXXXX")
trap 'status=$?; if [ $status -eq 0 ]; then rm -rf "$work"; else echo "files kept in $work" >&2; fi' EXIT

# make_srt FILE COUNT [TEXT]: COUNT entries of 300 ms, one every 350 ms, so
# that 240,000 entries end before 26.5 hours, where the 33-bit time stamps
# of the .sub wrap around; two lines "Entry number N" / "and its second
# line", or TEXT twice.
make_srt() {
  python3 - "$@" <<'EOF'
import sys
path, count = sys.argv[1], int(sys.argv[2])
text = sys.argv[3] if len(sys.argv) > 3 else None
def t(ms):
    s = ms // 1000
    return "%02d:%02d:%02d,%03d" % (s // 3600, s // 60 % 60, s % 60, ms % 1000)
with open(path, "w", encoding="utf-8", newline="\n") as f:
    for i in range(count):
        start = i * 350
        one, two = (text, text) if text else ("Entry number %d" % (i + 1), "and its second line")
        f.write("%d\n%s --> %s\n%s\n%s\n\n" % (i + 1, t(start), t(start + 300), one, two))
EOF
}

# measure COMMAND...: prints "seconds peak-KB" of the command.
measure() {
  /usr/bin/time -o "$work/time" -f "%e %M" "$@" >/dev/null 2>&1
  cat "$work/time"
}

if [ "${ONLY_4GIB:-0}" != 1 ]; then
# run_sampled FILE: converts FILE and prints the resident memory (MB) at
# the first and the last sample taken while entries are being converted
# (once the .idx exists), and the number of samples.
run_sampled() {
  local idx="${1%.srt}.idx" first="" last="" count=0 rss
  "$cli" convert --quiet "$1" >/dev/null 2>&1 &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    if [ -e "$idx" ] && rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null) &&
       [ -n "$rss" ]; then
      [ -z "$first" ] && first=$rss
      last=$rss
      count=$((count + 1))
    fi
    sleep 0.1
  done
  wait "$pid"
  awk -v f="$first" -v l="$last" -v c="$count" 'BEGIN { printf "%.1f %.1f %d\n", f / 1024, l / 1024, c }'
}

echo "entries  convert-s  entries/s  convert-peak-MB  list-peak-MB  difference-MB  run-RSS-first-last-MB"
for n in 50000 100000 200000; do
  make_srt "$work/film$n.srt" "$n"
  read -r secs conv_kb < <(measure "$cli" convert --quiet "$work/film$n.srt")
  read -r _ list_kb < <(measure "$cli" list "$work/film$n.srt")
  rm -f "$work/film$n".idx "$work/film$n".sub
  read -r rss_first rss_last samples < <(run_sampled "$work/film$n.srt")
  lines=$(grep -c '^timestamp: ' "$work/film$n.idx")
  [ "$lines" -eq "$n" ] || { echo "film$n.idx has $lines lines" >&2; exit 1; }
  awk -v n="$n" -v s="$secs" -v c="$conv_kb" -v l="$list_kb" -v a="$rss_first" -v b="$rss_last" -v k="$samples" \
    'BEGIN { printf "%7d  %9.2f  %9.0f  %15.1f  %12.1f  %13.1f  %.1f -> %.1f (%d samples)\n", n, s, n / s, c / 1024, l / 1024, (c - l) / 1024, a, b, k }'
  if [ "$n" -eq 200000 ]; then
    frames=$(ffprobe -v error -show_frames -of compact "$work/film$n.idx" | grep -c '^subtitle|')
    echo "ffprobe read $frames of $n subtitles of film$n"
    [ "$frames" -eq "$n" ] || exit 1
  fi
  rm -f "$work/film$n".*
done
fi

[ "${SKIP_4GIB:-0}" = 1 ] && exit 0

# Run 2. 24 light-shade characters at 30 points with a 2-pixel outline
# give a unit of nine packs (18432 bytes in the .sub).
free_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if [ "$free_kb" -lt $((5 * 1024 * 1024)) ]; then
  echo "skipping the 4 GiB run: only $((free_kb / 1024)) MB free in $work"
  exit 0
fi
n=240000
make_srt "$work/dense.srt" "$n" "$(python3 -c "print('\u2591' * 24)")"
read -r secs kb < <(measure "$cli" convert --quiet --size 30 --outline 2 "$work/dense.srt")
size=$(stat -c %s "$work/dense.sub")
echo "dense: $n entries in $secs s, peak $((kb / 1024)) MB, .sub $size bytes"
python3 - "$work/dense.idx" "$work/dense.sub" <<'EOF'
import sys
idx, sub = sys.argv[1], sys.argv[2]
size = __import__("os").path.getsize(sub)
lines = [l for l in open(idx, encoding="ascii", newline="").read().split("\r\n") if l.startswith("timestamp: ")]
past = 0
previous = -1
with open(sub, "rb") as f:
    for line in lines:
        stamp, pos = line[len("timestamp: "):].split(", filepos: ")
        assert len(pos) == 9 and pos == pos.lower(), line
        pos = int(pos, 16)
        assert previous < pos < size and pos % 2048 == 0, line
        previous = pos
        past += pos > 0xFFFFFFFF
        f.seek(pos)
        pack = f.read(32)
        assert pack[:4] == b"\x00\x00\x01\xba" and pack[14:18] == b"\x00\x00\x01\xbd", (line, pack.hex())
        p = pack[23:28]
        pts = ((p[0] >> 1) & 7) << 30 | p[1] << 22 | (p[2] >> 1) << 15 | p[3] << 7 | p[4] >> 1
        h, m, s, ms = (int(x) for x in stamp.split(":"))
        assert pts == (((h * 60 + m) * 60 + s) * 90000 + ms * 90) % (1 << 33), line
print("index: %d lines, %d positions past 0xFFFFFFFF, last %s; every one a pack start with its time"
      % (len(lines), past, lines[-1]))
EOF
frames=$(ffprobe -v error -show_frames -of compact "$work/dense.idx" | grep -c '^subtitle|')
echo "ffprobe read $frames of $n subtitles of the $size-byte .sub"
[ "$frames" -eq "$n" ]
