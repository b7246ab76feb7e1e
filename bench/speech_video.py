#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""orvane-shift --sync-to VIDEO on a 25-minute spoken film made here.

    bench/speech_video.py --tool build/bench/src/cli/orvane-shift [--runs N]

The film: ~300 cues spoken by espeak-ng (tests/support/speak_cues.py) after a
60 s music-like opening of tones, with a 30 s advert of tones at 20:00,
encoded as AAC in MP4. Prints Markdown:

- speed: the wall time of `ffmpeg -i FILM -vn -ac 1 -ar 8000 -f s16le
  /dev/null` against orvane-shift's decoding and speech detection (a
  --dry-run against a subtitle of one cue, whose alignment costs nothing),
  and what the alignment of the whole subtitle adds;
- accuracy: each cue start as written against where it is spoken, for the
  subtitle without the opening and advert (--start-at 60), and the same
  drifting (made for 25 fps; the film is 23.976).
"""
import argparse
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SPEAK = os.path.join(HERE, "..", "tests", "support", "speak_cues.py")

LINES = [
    "Where did you put the keys to the boat?",
    "Under the blue chair, as always.",
    "We leave at dawn.",
    "Nobody told me about the storm coming in from the west tonight.",
    "Then listen now.",
    "I have been waiting here for nearly an hour.",
    "Sorry.",
    "The train was late again, and the station was full of people.",
    "Did you bring the map?",
    "Of course I brought the map, it is in my coat.",
    "Good.",
    "Let us go before the light fades over the hills.",
]
TONES = ("aevalsrc=exprs='0.25*sin(2*PI*(220+55*mod(floor(2*t)\\,6))*t)"
         "+0.2*sin(2*PI*(330+82.5*mod(floor(3*t)\\,4))*t)+0.1*sin(2*PI*660*t)'"
         ":s=22050:d={}")
OPENING = 60.0
ADVERT_AT = 20 * 60.0  # in the film, after the opening
ADVERT = 30.0


def cues(minutes):
    """Cues like the tests' fixture, to `minutes`, with seeded random lengths
    and pauses: a pattern that repeated would fit the speech at more than one
    offset, and the aligner rightly refuses that."""
    rng = random.Random(7)
    out = []
    at = 2.0
    while at < minutes * 60 - 5:
        text = rng.choice(LINES)
        length = (0.4 + 0.06 * len(text)) * rng.uniform(0.8, 1.25)
        out.append((at, at + length, text))
        at += length + rng.uniform(0.6, 3.4)
    return out


def srt_time(t):
    ms = round(t * 1000)
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)


def write_srt(path, items):
    with open(path, "w", encoding="utf-8") as f:
        for n, (a, b, text) in enumerate(items, 1):
            f.write("%d\n%s --> %s\n%s\n\n" % (n, srt_time(a), srt_time(b), text))


def starts_of(path):
    pattern = re.compile(r"(\d\d):(\d\d):(\d\d),(\d\d\d) -->")
    with open(path, encoding="utf-8-sig") as f:
        return [int(h) * 3600 + int(m) * 60 + int(s) + int(ms) / 1000
                for h, m, s, ms in pattern.findall(f.read())]


def run(cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def fastest(cmd, runs):
    best = None
    for _ in range(runs):
        begin = time.monotonic()
        subprocess.run(cmd, check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        spent = time.monotonic() - begin
        best = spent if best is None else min(best, spent)
    return best


def errors_ms(written, truth, keep):
    return sorted(abs(w - t) * 1000 for i, (w, t) in enumerate(zip(written, truth)) if keep(i))


def summary(errs):
    p95 = errs[max(0, -(-len(errs) * 95 // 100) - 1)]
    return "%d | %.0f | %.0f | %.0f" % (len(errs), statistics.median(errs), p95, errs[-1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--minutes", type=float, default=25)
    parser.add_argument("--keep", help="make the film in this folder and leave it there")
    args = parser.parse_args()
    tool = os.path.abspath(args.tool)
    work = args.keep or tempfile.mkdtemp(prefix="orvane-speech-")
    os.makedirs(work, exist_ok=True)
    try:
        spoken = cues(args.minutes)
        truth_srt = os.path.join(work, "truth.srt")
        write_srt(truth_srt, spoken)
        speech = os.path.join(work, "speech.wav")
        begin = time.monotonic()
        if not os.path.exists(speech):
            run([sys.executable, SPEAK, truth_srt, speech])
        # The break falls in the first pause after ADVERT_AT of speech.
        cut = ADVERT_AT - OPENING
        for a, b in zip(spoken, spoken[1:]):
            if a[1] > cut:
                cut = (a[1] + b[0]) / 2
                break
        film = os.path.join(work, "film.mp4")
        run(["ffmpeg", "-nostdin", "-y", "-i", speech,
             "-f", "lavfi", "-i", TONES.format(OPENING), "-f", "lavfi", "-i", TONES.format(ADVERT),
             "-filter_complex",
             "[1]aformat=sample_fmts=s16:channel_layouts=mono[o];"
             "[2]aformat=sample_fmts=s16:channel_layouts=mono[t];"
             "[0]asplit[a][b];[a]atrim=0:%f[x];[b]atrim=%f,asetpts=PTS-STARTPTS[y];"
             "[o][x][t][y]concat=n=4:v=0:a=1[out]" % (cut, cut),
             "-map", "[out]", "-c:a", "aac", "-b:a", "64k", film])
        made = time.monotonic() - begin
        truth = [OPENING + a + (ADVERT if a > cut else 0) for a, _, _ in spoken]

        one = os.path.join(work, "one.srt")
        write_srt(one, spoken[:1])
        decode = fastest(["ffmpeg", "-nostdin", "-i", film, "-vn", "-ac", "1", "-ar", "8000",
                          "-f", "s16le", "-y", "/dev/null"], args.runs)
        detect = fastest([tool, "--sync-to", film, "--dry-run", "--force", one], args.runs)
        whole = fastest([tool, "--sync-to", film, "--start-at", str(OPENING), "--dry-run",
                         truth_srt], args.runs)
        print("Film: %.0f min, %d cues, AAC 64k in MP4 (made in %.0f s)\n"
              % (args.minutes + (OPENING + ADVERT) / 60, len(spoken), made))
        print("| step | seconds | against ffmpeg |\n|---|---|---|")
        print("| ffmpeg decode to 8 kHz mono | %.2f | 1.00 |" % decode)
        print("| orvane-shift decode + detection | %.2f | %.2f |" % (detect, detect / decode))
        print("| ... + alignment of %d cues | %.2f | alignment adds %.2f s |"
              % (len(spoken), whole, whole - detect))

        print("\n| case | cues counted | median ms | p95 ms | max ms |\n|---|---|---|---|---|")
        cases = [
            ("opening skipped, advert split", spoken, []),
            ("... and drifting 25 to 23.976", [(a * 24000 / 25025, b * 24000 / 25025, t)
                                               for a, b, t in spoken], []),
        ]
        for name, items, extra in cases:
            subtitle = os.path.join(work, "film.srt")
            write_srt(subtitle, items)
            out_dir = os.path.join(work, "out")
            shutil.rmtree(out_dir, ignore_errors=True)
            result = subprocess.run([tool, "--sync-to", film, "--start-at", str(OPENING), "-o",
                                     out_dir] + extra + [subtitle],
                                    capture_output=True, text=True, check=False)
            written = os.path.join(out_dir, "film.srt")
            if result.returncode != 0 or not os.path.exists(written):
                print("| %s | refused: %s | | | |" % (name, result.stderr.strip()))
                continue
            # Cues within 10 s of the break are not counted.
            errs = errors_ms(starts_of(written), truth,
                             lambda i: abs(spoken[i][0] - cut) > 10)
            print("| %s | %s |" % (name, summary(errs)))
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
