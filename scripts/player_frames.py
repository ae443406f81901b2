#!/usr/bin/env python3
"""Reads a video that a player rendered with a VobSub pair burnt in, and
reports when each subtitle was on screen and which colours its text and
outline had.

The background video carries its own frame number as a 12-bit strip of
32x16 blocks in the top-left corner (bit 0 first, light = 1), so every
rendered frame tells which source frame it shows, whatever the player
dropped, repeated or shifted.

    player_frames.py VIDEO SRT --label NAME --text RRGGBB --outline RRGGBB
                     [--entries 1,2,5] [--save-dir DIR] [--fps 25]

Prints one JSON object: "runs" (the on-screen stretches in source frames),
"entries" (per entry: shown from/until, offsets to the subtitle's times in
ms) and "samples" (per sampled entry and moment: the measured text and
outline colours and whether they match the chosen ones).
"""
import argparse
import json
import math
import os
import re
import subprocess
import sys

WIDTH, HEIGHT = 720, 576
BAND_TOP = 300  # subtitles are drawn below this row
STRIP_ROW, STRIP_BITS, STRIP_BLOCK = 8, 12, 32
TOLERANCE = 60  # largest channel difference still counted as the chosen colour; thin
# coloured strokes lose some of their hue where video halves the colour resolution


def read_srt(path):
    times = []
    pattern = re.compile(r"(\d+):(\d+):(\d+),(\d+)\s*-->\s*(\d+):(\d+):(\d+),(\d+)")
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = pattern.search(line)
            if m:
                v = [int(x) for x in m.groups()]
                start = ((v[0] * 60 + v[1]) * 60 + v[2]) * 1000 + v[3]
                end = ((v[4] * 60 + v[5]) * 60 + v[6]) * 1000 + v[7]
                times.append((start, end))
    return times


def frame_number(gray):
    n = 0
    for k in range(STRIP_BITS):
        if gray[STRIP_ROW * WIDTH + STRIP_BLOCK * k + STRIP_BLOCK // 2] > 128:
            n |= 1 << k
    return n


def scan(video):
    """Source frame number and the box of drawn pixels (top, bottom, left,
    right; None when nothing is drawn) of every rendered frame."""
    proc = subprocess.Popen(
        ["ffmpeg", "-v", "error", "-i", video, "-map", "0:v:0", "-vsync", "passthrough",
         "-f", "rawvideo", "-pix_fmt", "gray", "-"],
        stdout=subprocess.PIPE)
    size = WIDTH * HEIGHT
    frames = []
    lut = None
    while True:
        gray = proc.stdout.read(size)
        if len(gray) < size:
            break
        if lut is None:
            back = gray[BAND_TOP * WIDTH + WIDTH // 2]
            lut = bytes(1 if abs(v - back) > 40 else 0 for v in range(256))
        marks = gray[BAND_TOP * WIDTH:].translate(lut)
        box = None
        if marks.count(1) > 30:
            rows = [y for y in range(HEIGHT - BAND_TOP)
                    if marks.find(1, y * WIDTH, (y + 1) * WIDTH) >= 0]
            left = min(marks.find(1, y * WIDTH, (y + 1) * WIDTH) - y * WIDTH for y in rows)
            right = max(marks.rfind(1, y * WIDTH, (y + 1) * WIDTH) - y * WIDTH for y in rows)
            box = (rows[0], rows[-1], left, right)
        frames.append((frame_number(gray), box))
    proc.wait()
    return frames


def same_picture(a, b):
    return all(abs(p - q) <= 4 for p, q in zip(a, b))


def runs_of(frames):
    """Stretches of consecutive rendered frames showing one subtitle picture,
    as (first source frame, first source frame after it)."""
    runs, first, box = [], None, None
    for number, current in frames:
        if first is not None and (current is None or not same_picture(current, box)):
            runs.append((first, number))
            first = None
        if current is not None and first is None:
            first, box = number, current
    if first is not None:
        runs.append((first, frames[-1][0] + 1))
    return runs


def match_entries(runs, times, fps):
    result = []
    for i, (start, end) in enumerate(times):
        best, overlap = None, 0.0
        for a, b in runs:
            lo, hi = max(a * 1000.0 / fps, start), min(b * 1000.0 / fps, end)
            if hi - lo > overlap:
                best, overlap = (a, b), hi - lo
        row = {"entry": i + 1, "start": start, "end": end}
        if best:
            on, off = best[0] * 1000.0 / fps, best[1] * 1000.0 / fps
            # The frames a perfect player shows: those whose time lies in [start, end).
            ideal_on = math.ceil(start * fps / 1000.0 - 1e-9) * 1000.0 / fps
            ideal_off = math.ceil(end * fps / 1000.0 - 1e-9) * 1000.0 / fps
            row.update(shown_from=on, shown_until=off, early_ms=round(ideal_on - on),
                       late_ms=round(off - ideal_off))
        result.append(row)
    return result


def grab(video, indices):
    """RGB bytes of the rendered frames with these indices, in index order."""
    if not indices:
        return {}
    expr = "+".join("eq(n\\,%d)" % i for i in sorted(set(indices)))
    proc = subprocess.run(
        ["ffmpeg", "-v", "error", "-i", video, "-map", "0:v:0", "-vf", "select=" + expr,
         "-vsync", "passthrough", "-frames:v", str(len(set(indices))),
         "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
        stdout=subprocess.PIPE, check=True)
    size = WIDTH * HEIGHT * 3
    data = proc.stdout
    return {i: data[k * size:(k + 1) * size] for k, i in enumerate(sorted(set(indices)))}


def save_png(rgb, path):
    tmp = path + ".part.png"
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24",
                    "-s", "%dx%d" % (WIDTH, HEIGHT), "-i", "-", "-frames:v", "1", tmp],
                   input=rgb, check=True)
    os.replace(tmp, path)


def median(values):
    values = sorted(values)
    return values[len(values) // 2] if values else None


def measure(rgb, mask):
    """Median colour of the pixels that are text and outline in `mask` (the
    same frame drawn with text 255,255,0 and outline 255,0,0), or None when
    the band holds no subtitle."""
    back = rgb[(BAND_TOP * WIDTH + WIDTH // 2) * 3:(BAND_TOP * WIDTH + WIDTH // 2) * 3 + 3]
    drawn = 0
    text, outline = ([], [], []), ([], [], [])
    for p in range(BAND_TOP * WIDTH * 3, WIDTH * HEIGHT * 3, 3):
        if max(abs(rgb[p] - back[0]), abs(rgb[p + 1] - back[1]), abs(rgb[p + 2] - back[2])) > 24:
            drawn += 1
        key = (mask[p], mask[p + 1], mask[p + 2])
        target = text if key == (255, 255, 0) else outline if key == (255, 0, 0) else None
        if target:
            for c in range(3):
                target[c].append(rgb[p + c])
    if drawn < 30:
        return None
    return {"text": [median(c) for c in text], "outline": [median(c) for c in outline]}


def close(measured, wanted):
    return measured is not None and measured[0] is not None and max(
        abs(m - w) for m, w in zip(measured, wanted)) <= TOLERANCE


def luma(rgb):
    return 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]


def close_luma(measured, wanted):
    """The same brightness, whatever the hue: what a player that draws
    subtitles in grey levels over the picture's own colour can show."""
    return measured is not None and measured[0] is not None and abs(
        luma(measured) - luma(wanted)) <= TOLERANCE / 2


def hex_rgb(text):
    return [int(text[i:i + 2], 16) for i in (0, 2, 4)]


PLAYERS = ["ffmpeg", "mpv", "vlc", "mplayer", "dvd-mpv", "dvd-vlc"]
MODES = ["pc", "dvd", "two", "safe"]


def colour_cell(report):
    """The verdict on the colours, judged in the middle of the sampled
    entries, with what the frames at start + 100 ms and end + 200 ms show."""
    middle = [s for s in report["samples"] if s["moment"] == "middle"]
    if not middle:
        return "no frames"
    if not all(s["shown"] and s["text"][0] is not None for s in middle):
        return "not shown"
    wanted = [hex_rgb(w) for w in report.get("wanted") or (
        ["FFE614", "001E00"] if report["label"].endswith("-safe") else ["FFFFFF", "000000"])]
    for sample in middle:
        sample["text_ok"] = close(sample["text"], wanted[0])
        sample["outline_ok"] = close(sample["outline"], wanted[1])
        sample["text_luma_ok"] = close_luma(sample["text"], wanted[0])
        sample["outline_luma_ok"] = close_luma(sample["outline"], wanted[1])
    first = middle[0]
    values = "text %s, outline %s" % (",".join(map(str, first["text"])),
                                      ",".join(map(str, first["outline"])))
    if all(s["text_ok"] and s["outline_ok"] for s in middle):
        cell = "yes"
    elif all(s["text_luma_ok"] and s["outline_luma_ok"] for s in middle):
        cell = "brightness only: " + values
    else:
        cell = "no: " + values
    by_entry = {s["entry"]: s for s in middle}
    early = [s["entry"] for s in report["samples"] if s["moment"] == "start+100" and (
        not s["shown"] or s["text"][0] is None or
        max(abs(a - b) for a, b in zip(s["text"], by_entry[s["entry"]]["text"])) > TOLERANCE)]
    late = [s["entry"] for s in report["samples"] if s["moment"] == "end+200" and s["shown"]]
    if early:
        cell += "; entry %s not yet shown at start + 100 ms" % ",".join(map(str, early))
    if late:
        cell += "; entry %s still shown at end + 200 ms" % ",".join(map(str, late))
    return cell


def timing_row(report):
    """Frames are 40 ms apart: 0 means the first and last frames a perfect
    player shows; a positive start means shown before the subtitle's start,
    a positive end kept after its end."""
    rows = [e for e in report["entries"] if "early_ms" in e]
    label = report["label"].replace("-timing", "")
    if not rows:
        return "| %s | none shown | | |" % label

    def extreme(key, pick):
        e = pick(rows, key=lambda r: r[key])
        return "%+d ms (entry %d)" % (e[key], e["entry"])

    return "| %s | %d of %d | %s | %s | %s | %s |" % (
        label, len(rows), len(report["entries"]), extreme("early_ms", max),
        extreme("early_ms", min), extreme("late_ms", max), extreme("late_ms", min))


def summarize(folder):
    reports = {}
    for name in os.listdir(folder):
        if name.endswith(".json"):
            with open(os.path.join(folder, name)) as f:
                r = json.load(f)
            reports[r["label"]] = r
    print("| Player | " + " | ".join("`--palette %s`" % m for m in MODES) + " |")
    print("|---|" + "---|" * len(MODES))
    for player in PLAYERS:
        cells = [colour_cell(reports[player + "-" + m]) if player + "-" + m in reports
                 else "did not play" for m in MODES]
        print("| %s | %s |" % (player, " | ".join(cells)))
    print()
    print("| Run | entries shown | start, earliest | start, latest | end, latest | end, earliest |")
    print("|---|---|---|---|---|---|")
    for label in sorted(reports):
        if label.endswith("-timing"):
            print(timing_row(reports[label]))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--summarize":
        summarize(sys.argv[2])
        return
    ap = argparse.ArgumentParser()
    ap.add_argument("video")
    ap.add_argument("srt")
    ap.add_argument("--label", required=True)
    ap.add_argument("--text", required=True)
    ap.add_argument("--outline", required=True)
    ap.add_argument("--entries", default="1,2")
    ap.add_argument("--mask", required=True,
                    help="the same subtitles drawn by ffmpeg in RGB with text 255,255,0, "
                         "outline 255,0,0 and antialias 0,255,0")
    ap.add_argument("--save-dir")
    ap.add_argument("--fps", type=float, default=25.0)
    a = ap.parse_args()

    times = read_srt(a.srt)
    frames = scan(a.video)
    runs = runs_of(frames)
    last_source = frames[-1][0] if frames else 0
    shown = [t for t in times if t[1] * a.fps / 1000.0 < last_source]
    report = {"label": a.label, "frames": len(frames), "wanted": [a.text, a.outline],
              "runs": [[r[0], r[1]] for r in runs],
              "entries": match_entries(runs, shown, a.fps), "samples": []}

    where = {}
    for i, (number, _) in enumerate(frames):
        where.setdefault(number, i)
    wanted = {}
    for e in [int(x) for x in a.entries.split(",") if x]:
        if e > len(shown):
            continue
        start, end = times[e - 1]
        for moment, ms in (("start+100", start + 100), ("middle", (start + end) / 2),
                           ("end+200", end + 200)):
            number = math.ceil(ms * a.fps / 1000.0 - 1e-9)
            if number in where:
                wanted[(e, moment)] = where[number]
    pictures = grab(a.video, list(wanted.values()))
    # The mask video is drawn frame for frame over the background, so its
    # frame n is source frame n.
    masks = grab(a.mask, [frames[i][0] for i in wanted.values()])
    for (e, moment), index in sorted(wanted.items()):
        rgb = pictures.get(index)
        if rgb is None or len(rgb) < WIDTH * HEIGHT * 3:
            continue
        mask = masks.get(frames[index][0])
        if mask is None:
            continue
        m = measure(rgb, mask)
        sample = {"entry": e, "moment": moment, "frame": frames[index][0]}
        if m is None:
            sample["shown"] = False
        else:
            sample.update(shown=True, text=m["text"], outline=m["outline"],
                          text_ok=close(m["text"], hex_rgb(a.text)),
                          outline_ok=close(m["outline"], hex_rgb(a.outline)),
                          text_luma_ok=close_luma(m["text"], hex_rgb(a.text)),
                          outline_luma_ok=close_luma(m["outline"], hex_rgb(a.outline)))
        if a.save_dir:
            name = "%s-entry%d-%s.png" % (a.label, e, moment.replace("+", "plus"))
            save_png(rgb, os.path.join(a.save_dir, name))
            sample["png"] = name
        report["samples"].append(sample)
    json.dump(report, sys.stdout)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main()
