#!/usr/bin/env bash
# Plays VobSub pairs of every palette mode in ffmpeg, mpv, VLC and MPlayer,
# and from a DVD authored with dvdauthor, over a known background colour,
# and measures what each shows: the colours of the text and outline pixels
# at start + 100 ms, the middle and end + 200 ms of sampled entries, and
# when every entry appears and disappears. Not part of the test suite.
#
#   bash scripts/player-colours.sh [OUTPUT-DIR]      (default build/player-colours)
#
# Writes OUTPUT-DIR/colours.md and OUTPUT-DIR/timing.md (the tables of the
# README), one JSON report per run and the sampled frames as PNG files.
# Installs the players it misses (Debian packages). VLC refuses to run as
# root, so as root it runs as the user "nobody".
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
cli=${KESTRELPIX_CLI:-$repo/build/src/kestrelpix-cli}
out=${1:-$repo/build/player-colours}
srt="$repo/examples/sample.srt"
background=0x306080      # the video under the subtitles
clip=24                  # seconds played per palette mode: entries 1 to 5
entries=1,2,5            # entries whose frames are sampled

need=()
for tool in ffmpeg:ffmpeg mpv:mpv cvlc:vlc mplayer:mplayer dvdauthor:dvdauthor mkvmerge:mkvtoolnix; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
done
if ((${#need[@]})); then
  apt-get install -y --no-install-recommends "${need[@]}"
fi
[[ -x "$cli" ]] || { echo "no $cli; build kestrelpix-cli first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
chmod 755 "$work"
mkdir -p "$out/frames" "$out/runs"
# run_vlc OUTPUT ARGS...: cvlc transcoding with the subtitles drawn in,
# every frame written losslessly to OUTPUT. The display branch (drawing
# nothing) makes VLC play in real time as it does on screen: transcoding
# alone runs as fast as it can, and its subtitle decoder then falls behind
# the pictures, which is not what a viewer sees.
run_vlc() {
  local output=$1
  shift
  mkdir -p "$work/vlc-home"
  chmod 777 "$work/vlc-home"
  local file="transcode{vcodec=FFV1,soverlay}:std{access=file,mux=mkv,dst=$work/vlc-home/out.mkv}"
  local sout="#duplicate{dst=display{noaudio,novideo},dst=\"$file\"}"
  if [[ $(id -u) == 0 ]]; then
    runuser -u nobody -- env HOME="$work/vlc-home" cvlc -q --no-audio "$@" --sout "$sout" vlc://quit
  else
    HOME="$work/vlc-home" cvlc -q --no-audio "$@" --sout "$sout" vlc://quit
  fi
  mv "$work/vlc-home/out.mkv" "$output"
}

# The background: a flat colour with the frame number as a 12-bit strip of
# 32x16 blocks in the top-left corner, so that every rendered frame tells
# which source frame it shows. bg.mkv starts at time 0; bg.mpg is the same
# picture as DVD video, which starts at 0.54 s as DVD video usually does.
strip="color=c=black:s=384x16:r=25:d=145,format=gray,geq=lum='if(bitand(floor(N/pow(2\,floor(X/32)))\,1)\,235\,16)'"
ffmpeg -v error -y -f lavfi -i "color=c=$background:s=720x576:r=25:d=145" -f lavfi -i "$strip" \
  -filter_complex "[0:v][1:v]overlay=0:0:shortest=1,format=yuv420p" -c:v ffv1 -an "$work/bg.mkv"
ffmpeg -v error -y -i "$work/bg.mkv" -target pal-dvd -an "$work/bg.mpg"

# pair MODE: the sample converted in that palette mode into $work/MODE.idx/.sub.
pair() {
  mkdir -p "$work/$1"
  "$cli" convert --quiet --palette "$1" --output-dir "$work/$1" "$srt" >/dev/null
  mv "$work/$1/sample.idx" "$work/$1.idx"
  mv "$work/$1/sample.sub" "$work/$1.sub"
}

# The same subtitles drawn by ffmpeg in RGB with a palette that marks the
# pixel kinds: antialias green, outline red, text yellow.
mask() {
  sed -e 's/^palette: .*/palette: 00FF00, FF0000, FFFF00, 0000FF, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000\r/' \
    -e 's/^custom colors: .*/custom colors: OFF, tridx: 0000, colors: 000000, 000000, 000000, 000000\r/' \
    "$work/pc.idx" >"$work/mask.idx"
  cp "$work/pc.sub" "$work/mask.sub"
  ffmpeg -v error -y -i "$work/bg.mkv" -i "$work/mask.idx" \
    -filter_complex "[0:v]format=gbrp[v];[v][1:s]overlay=format=gbrp" -c:v ffv1 "$work/mask.mkv"
}

# render PLAYER PAIR-BASE VIDEO SECONDS OUTPUT: the video played with the
# pair by PLAYER, every frame written losslessly to OUTPUT.
render() {
  local player=$1 base=$2 video=$3 seconds=$4 output=$5
  case $player in
    ffmpeg)
      ffmpeg -v error -y -t "$seconds" -i "$video" -i "$base.idx" \
        -filter_complex "[0:v][1:s]overlay" -c:v ffv1 "$output" ;;
    mpv)
      mpv --no-config --really-quiet --no-audio --sub-file="$base.idx" --end="$seconds" \
        --o="$output" --ovc=ffv1 "$video" ;;
    vlc)
      run_vlc "$output" "$video" --sub-file="$base.idx" --stop-time="$seconds" ;;
    vlc-text)
      # The SubRip text itself, for comparison.
      run_vlc "$output" "$video" --sub-file="$work/sample.srt" --stop-time="$seconds" ;;
    vlc-mkv)
      # The subtitle stream inside the video file rather than beside it.
      run_vlc "$output" "$base" --sub-track=0 --stop-time="$seconds" ;;
    mplayer)
      rm -f "$work/y4m"
      mkfifo "$work/y4m"
      timeout 900 ffmpeg -v error -y -i "$work/y4m" -c:v ffv1 "$output" &
      mplayer -really-quiet -nosound -benchmark -vo "yuv4mpeg:file=$work/y4m" \
        -vobsub "$base" -vobsubid 0 -endpos "$seconds" "$video" >/dev/null 2>&1 || true
      wait ;;
    dvd-mpv)
      mpv --no-config --really-quiet --no-audio --dvd-device="$base" --sid=1 --end="$seconds" \
        --o="$output" --ovc=ffv1 dvd:// >/dev/null 2>&1 ;;
    dvd-vlc)
      run_vlc "$output" "dvd://$base" --sub-track=0 --stop-time="$seconds" ;;
  esac
}

# author MODE SECONDS: a DVD folder $work/MODE-dvd whose title holds the
# video and the pair's subtitles, with the pair's "palette:" line as the
# DVD palette (a DVD carries no other).
author() {
  local mode=$1 seconds=$2 dir="$work/$1-dvd"
  rm -rf -- "$dir"
  mkdir -p "$dir"
  ffmpeg -v error -y -t "$seconds" -i "$work/bg.mpg" -i "$work/$mode.idx" \
    -map 0:v -map 1:s -c copy -f dvd "$dir/title.vob" 2>"$dir/mux.log"
  grep '^palette:' "$work/$mode.idx" | tr -d '\r' | sed 's/^palette: //; s/, /\n/g' >"$dir/palette.yuv"
  cat >"$dir/dvd.xml" <<EOF
<dvdauthor dest="$dir/DVD">
  <vmgm />
  <titleset>
    <titles>
      <video format="pal" />
      <subpicture lang="en" />
      <pgc palette="$dir/palette.yuv">
        <vob file="$dir/title.vob" />
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
EOF
  VIDEO_FORMAT=PAL dvdauthor -x "$dir/dvd.xml" >"$dir/dvdauthor.log" 2>&1
}

measure() {  # measure LABEL VIDEO TEXT OUTLINE
  python3 "$here/player_frames.py" "$2" "$srt" --mask "$work/mask.mkv" --label "$1" \
    --text "$3" --outline "$4" --entries "$entries" --save-dir "$out/frames" >"$work/$1.json.part"
  mv "$work/$1.json.part" "$out/runs/$1.json"
}

cp "$srt" "$work/sample.srt"
for mode in pc dvd two safe; do pair "$mode"; done
mask

# Colours: every player and every mode over the first $clip seconds.
for mode in pc dvd two safe; do
  text=FFFFFF outline=000000
  [[ $mode == safe ]] && text=FFE614 outline=001E00
  author "$mode" "$clip"
  for player in ffmpeg mpv vlc mplayer dvd-mpv dvd-vlc; do
    base="$work/$mode" video="$work/bg.mkv"
    [[ $player == dvd-* ]] && base="$work/$mode-dvd/DVD"
    echo "== $player, palette $mode" >&2
    render "$player" "$base" "$video" "$clip" "$work/$player-$mode.mkv" || true
    if [[ -s "$work/$player-$mode.mkv" ]]; then
      measure "$player-$mode" "$work/$player-$mode.mkv" "$text" "$outline"
    fi
  done
done

# Timing: the whole sample in the PC mode, our pair beside bg.mkv and
# inside a Matroska file; and for VLC to compare with, the same bitmaps
# encoded by ffmpeg's own DVD subtitle encoder, as a pair (through
# mkvextract) and inside a Matroska file.
author pc 145
mkvmerge -q -o "$work/ours-in.mkv" "$work/bg.mkv" "$work/pc.idx"
ffmpeg -v error -y -i "$work/pc.idx" -c:s dvdsub "$work/ffmpeg-sub.mkv"
mkvextract "$work/ffmpeg-sub.mkv" tracks "0:$work/ffmpeg-pair.idx" >/dev/null
mkvmerge -q -o "$work/ffmpeg-in.mkv" "$work/bg.mkv" "$work/ffmpeg-sub.mkv"
chmod 644 "$work"/*.mkv "$work"/*.idx "$work"/*.sub
for run in ffmpeg mpv vlc mplayer dvd-mpv dvd-vlc vlc-text vlc:ffmpeg-pair vlc-mkv:ours-in \
  vlc-mkv:ffmpeg-in; do
  player=${run%%:*} base="$work/pc" label="$player-timing"
  case $run in
    *-pair) base="$work/${run#*:}" label="vlc-ffmpeg-pair-timing" ;;
    *:*) base="$work/${run#*:}.mkv" label="vlc-${run#*:}-timing" ;;
    dvd-*) base="$work/pc-dvd/DVD" ;;
  esac
  echo "== $label" >&2
  render "$player" "$base" "$work/bg.mkv" 145 "$work/$label.mkv" || true
  [[ -s "$work/$label.mkv" ]] && measure "$label" "$work/$label.mkv" FFFFFF 000000
done

# A video whose time stamps start at 0.54 s, as DVD video and many MPEG
# files do: where the players put our subtitles and the SubRip text.
for player in vlc mpv mplayer vlc-text; do
  label="$player-late-video-timing"
  echo "== $label" >&2
  render "$player" "$work/pc" "$work/bg.mpg" "$clip" "$work/$label.mkv" || true
  [[ -s "$work/$label.mkv" ]] && measure "$label" "$work/$label.mkv" FFFFFF 000000
done

python3 "$here/player_frames.py" --summarize "$out/runs" >"$out/tables.md.part"
mv "$out/tables.md.part" "$out/tables.md"
echo "$out/tables.md"
