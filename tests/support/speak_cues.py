#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Speaks each cue of an SRT file into one WAV at the cue's time.

    speak_cues.py CUES.srt OUT.wav [--length SECONDS] [--noise SNR_DB]
                  [--noisy SNR_DB NOISY.wav]

espeak-ng says each cue's text; its speed is chosen so the speech fills the
cue (otherwise the best offset is a flat top as wide as the gap between
speech and cue). With --noise, pink-like noise runs under the whole file at
that many decibels below the speech. --noisy writes a second file, the same
speech with such noise under it, beside a clean OUT.wav, speaking only once.
"""
import argparse
import array
import math
import os
import random
import re
import subprocess
import tempfile
import wave

RATE = 22050  # espeak-ng's own rate
TIME = re.compile(r"(\d+):(\d+):(\d+)[,.](\d+)\s*-->\s*(\d+):(\d+):(\d+)[,.](\d+)")


def read_cues(path):
    cues = []
    with open(path, encoding="utf-8-sig") as f:
        blocks = f.read().replace("\r\n", "\n").split("\n\n")
    for block in blocks:
        lines = block.strip().split("\n")
        for i, line in enumerate(lines):
            m = TIME.search(line)
            if m:
                v = [int(x) for x in m.groups()]
                start = v[0] * 3600 + v[1] * 60 + v[2] + v[3] / 1000
                end = v[4] * 3600 + v[5] * 60 + v[6] + v[7] / 1000
                cues.append((start, end, " ".join(lines[i + 1:])))
                break
    return cues


def speak(text, speed, folder):
    path = os.path.join(folder, "cue.wav")
    subprocess.run(["espeak-ng", "-s", str(speed), "-w", path, text], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with wave.open(path) as w:
        samples = array.array("h", w.readframes(w.getnframes()))
    # Leading and trailing quiet taken off, so the speech starts on time.
    loud = [i for i in range(len(samples)) if abs(samples[i]) > 300]
    return samples[loud[0]:loud[-1] + 1] if loud else array.array("h")


def speech_filling(text, seconds, folder):
    first = speak(text, 175, folder)
    if not first:
        return first
    speed = 175 * (len(first) / RATE) / seconds
    return speak(text, int(min(max(speed, 80), 450)), folder)


def with_noise(mix, snr_db):
    """The speech with pink-like noise snr_db decibels below its level."""
    loud = [abs(s) for s in mix if s]
    level = math.sqrt(sum(s * s for s in loud) / max(len(loud), 1))
    rng = random.Random(7)
    pink = []
    b0 = b1 = 0.0
    for _ in range(len(mix)):
        white = rng.gauss(0, 1)
        b0 = 0.99765 * b0 + white * 0.0990460
        b1 = 0.96300 * b1 + white * 0.2965164
        pink.append(b0 + b1 + white * 0.1848)
    # The filter's own gain taken out, so the noise sits snr_db below.
    scale = level * 10 ** (-snr_db / 20) / math.sqrt(sum(p * p for p in pink) / max(len(pink), 1))
    return array.array("h", (max(-32768, min(32767, int(s + p * scale)))
                             for s, p in zip(mix, pink)))


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.tobytes())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cues")
    parser.add_argument("out")
    parser.add_argument("--length", type=float, default=0)
    parser.add_argument("--noise", type=float, default=None)
    parser.add_argument("--noisy", nargs=2, metavar=("SNR_DB", "NOISY"), default=None)
    args = parser.parse_args()
    cues = read_cues(args.cues)
    length = max([args.length] + [end + 1 for _, end, _ in cues])
    mix = array.array("h", bytes(2 * int(length * RATE)))
    with tempfile.TemporaryDirectory() as folder:
        for start, end, text in cues:
            speech = speech_filling(text, end - start, folder)
            at = int(round(start * RATE))
            speech = speech[:min(len(speech), int((end - start) * RATE), len(mix) - at)]
            mix[at:at + len(speech)] = speech
    if args.noisy is not None:
        write(args.noisy[1], with_noise(mix, float(args.noisy[0])))
    write(args.out, mix if args.noise is None else with_noise(mix, args.noise))


if __name__ == "__main__":
    main()
