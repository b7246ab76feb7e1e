#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times orvane-shift on generated workloads against `cat` and other shifters.

Each command is started by orvane-bench-exec (no shell, except the loops over
a folder), which times it with a monotonic clock and reaps it with wait4(),
whose resource usage gives the child's peak resident set size (what
`/usr/bin/time -v` reports as "Maximum resident set size"). Prints a Markdown
report on stdout.
"""
import argparse
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time

MB = 1_000_000


EXEC = None  # orvane-bench-exec: times a command and reads its peak RSS
FASTEST = {}  # command -> its fastest timed run, in seconds


def run_once(cmd, stdout_path=None):
    """Runs cmd; returns (seconds, peak RSS in bytes). Raises on failure."""
    report = os.path.join(REPORT_DIR, "report.txt")
    out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
    try:
        proc = subprocess.run([EXEC, report, *cmd], stdin=subprocess.DEVNULL, stdout=out,
                              stderr=subprocess.PIPE, check=False)
    finally:
        if stdout_path:
            out.close()
    err = proc.stderr.decode("utf-8", "replace").strip()
    if proc.returncode != 0:
        raise RuntimeError(f"orvane-bench-exec failed: {err[:400]}")
    with open(report) as f:
        seconds, rss_kib, status = f.read().split()
    if int(status) != 0:
        raise RuntimeError(f"{' '.join(cmd)} exited {status}: {err[:400]}")
    return float(seconds), int(rss_kib) * 1024


def fresh(path):
    """Removes a file or folder of outputs, so the next run writes new files."""
    if os.path.isdir(path):
        shutil.rmtree(path)
        os.makedirs(path)
    elif os.path.exists(path):
        os.remove(path)


def measure(cmd, runs, stdout_path=None, outputs=None):
    """One warm-up, then `runs` timed runs: (median seconds, peak RSS bytes).
    The fastest run is kept in FASTEST[tuple(cmd)]: on a shared virtual
    machine the speed of the processor itself changes from run to run, and
    the fastest runs compare programs more steadily than the medians.
    `outputs` (a file or folder) is removed before each run, untimed, so every
    program writes new files, as a copy into a new file does."""
    if outputs:
        fresh(outputs)
    run_once(cmd, stdout_path)
    times, peak = [], 0
    for _ in range(runs):
        if outputs:
            fresh(outputs)
        seconds, rss = run_once(cmd, stdout_path)
        times.append(seconds)
        peak = max(peak, rss)
    FASTEST[tuple(cmd)] = min(times)
    return statistics.median(times), peak


def tree_size(path):
    if os.path.isfile(path):
        return os.path.getsize(path)
    return sum(os.path.getsize(os.path.join(path, n)) for n in os.listdir(path))


def fmt_ms(seconds):
    return f"{seconds * 1000:.1f} ms" if seconds < 10 else f"{seconds:.1f} s"


def fmt_mb(nbytes):
    return f"{nbytes / MB:.1f} MB"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True, help="the orvane-shift binary")
    ap.add_argument("--exec", required=True, help="the orvane-bench-exec binary")
    ap.add_argument("--work", required=True, help="folder holding in/ (the workloads)")
    ap.add_argument("--runs", type=int, default=7, help="timed runs per command")
    ap.add_argument("--peer-runs", type=int, default=3,
                    help="timed runs per peer command (1 for folder loops)")
    ap.add_argument("--no-peers", action="store_true", help="skip srt-fixed-timeshift and ffmpeg")
    args = ap.parse_args()

    global EXEC, REPORT_DIR
    EXEC = os.path.abspath(args.exec)
    tool = os.path.abspath(args.tool)
    work = os.path.abspath(args.work)
    src = os.path.join(work, "in")
    out = os.path.join(work, "out")
    os.makedirs(out, exist_ok=True)
    REPORT_DIR = work

    srt_peer = None if args.no_peers else shutil.which("srt-fixed-timeshift")
    ffmpeg = None if args.no_peers else shutil.which("ffmpeg")

    def orvane(mode, target, folder=out):
        amount = ["--direct", "12", "--later"] if mode == "direct" else ["--cut", "12"]
        return [tool, *amount, "-q", "-o", folder, target]

    # The memory of an almost empty run: the program, its libraries, ICU data.
    tiny = os.path.join(src, "tiny.srt")
    tiny_out = os.path.join(out, "tiny")
    os.makedirs(tiny_out, exist_ok=True)
    empty_s, empty_rss = measure(orvane("direct", tiny, tiny_out), args.runs, outputs=tiny_out)
    tiny_cp = os.path.join(out, "cp-tiny.srt")
    tiny_cp_s, _ = measure(["cp", tiny, tiny_cp], args.runs, outputs=tiny_cp)
    help_s, _ = measure([tool, "--help"], args.runs)

    workloads = [
        ("SRT, 50,000 cues", "big.srt", "srt"),
        ("ASS, 30,000 dialogue lines", "big.ass", "ass"),
        ("300 SRT files of 1,500 cues", "folder", "folder"),
        ("SRT, one cue of one 200 MB line", "huge-line.srt", "huge"),
    ]
    rows, checks = [], []
    checks.append(f"- A one-cue file within 2× of `cp`: {empty_s * 1000:.1f} ms vs "
                  f"{tiny_cp_s * 1000:.1f} ms, {empty_s / tiny_cp_s:.1f}× — "
                  f"{'met' if empty_s <= 2 * tiny_cp_s else 'missed'}")
    for title, name, kind in workloads:
        target = os.path.join(src, name)
        size = tree_size(target)
        results = []  # (tool, mode, seconds, rss, note)
        fastest = {}  # orvane-shift's fastest run, by mode

        if kind == "folder":
            loop = 'for f in "$1"/*.srt; do cat "$f" > "$2/${f##*/}"; done'
            cat_cmd = ["sh", "-c", loop, "sh", target, os.path.join(out, "cat")]
            os.makedirs(os.path.join(out, "cat"), exist_ok=True)
            cat_s, cat_rss = measure(cat_cmd, args.runs)
            cat_label = "`cat` in a shell loop"
        else:
            cat_out = os.path.join(out, "cat-" + name)
            cat_s, cat_rss = measure(["cat", target], args.runs, stdout_path=cat_out,
                                     outputs=cat_out)
            cat_label = "`cat FILE > OUT`"
            cp_out = os.path.join(out, "cp-" + name)
            cp_cmd = ["cp", target, cp_out]
            cp_s, cp_rss = measure(cp_cmd, args.runs, outputs=cp_out)
            results.append(("`cp FILE OUT`", "copy", cp_s, cp_rss, ""))
        results.append((cat_label, "copy", cat_s, cat_rss, ""))

        for mode in ("direct", "cut"):
            orvane_out = os.path.join(out, "orvane")
            os.makedirs(orvane_out, exist_ok=True)
            orvane_cmd = orvane(mode, target, orvane_out)
            seconds, rss = measure(orvane_cmd, args.runs, outputs=orvane_out)
            fastest[mode] = FASTEST[tuple(orvane_cmd)]
            results.append(("`orvane-shift`" + (" (one call)" if kind == "folder" else ""),
                            mode, seconds, rss, ""))

        peer_runs = 1 if kind == "folder" else args.peer_runs
        if srt_peer and kind in ("srt", "folder"):
            if kind == "folder":
                loop = ('for f in "$1"/*.srt; do srt-fixed-timeshift --seconds 12 '
                        '--input "$f" --output "$2/${f##*/}"; done')
                os.makedirs(os.path.join(out, "srt"), exist_ok=True)
                cmd = ["sh", "-c", loop, "sh", target, os.path.join(out, "srt")]
            else:
                cmd = [srt_peer, "--seconds", "12", "--input", target,
                       "--output", os.path.join(out, "srt-" + name)]
            try:
                seconds, rss = measure(cmd, peer_runs)
                results.append(("`srt-fixed-timeshift`" + (" in a loop" if kind == "folder" else ""),
                                "direct", seconds, rss, ""))
            except RuntimeError as e:
                results.append(("`srt-fixed-timeshift`", "direct", None, None, str(e)[:80]))
        if ffmpeg and kind != "huge":
            ext = "ass" if kind == "ass" else "srt"
            base = [ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                    "-itsoffset", "12", "-i"]
            if kind == "folder":
                loop = ('for f in "$1"/*.srt; do ffmpeg -nostdin -hide_banner -loglevel error '
                        '-y -itsoffset 12 -i "$f" "$2/${f##*/}"; done')
                os.makedirs(os.path.join(out, "ffmpeg"), exist_ok=True)
                cmd = ["sh", "-c", loop, "sh", target, os.path.join(out, "ffmpeg")]
            else:
                cmd = [*base, target, os.path.join(out, f"ffmpeg-{name}.{ext}")]
            try:
                seconds, rss = measure(cmd, peer_runs)
                results.append(("`ffmpeg -itsoffset`" + (" in a loop" if kind == "folder" else ""),
                                "direct", seconds, rss, ""))
            except RuntimeError as e:
                results.append(("`ffmpeg -itsoffset`", "direct", None, None, str(e)[:80]))

        for label, mode, seconds, rss, note in results:
            if seconds is None:
                rows.append(f"| {title} | {fmt_mb(size)} | {label} | {mode} | failed: {note} "
                            "| | | | | | |")
                continue
            growth = max(0, rss - empty_rss)
            is_orvane = "orvane" in label
            rows.append(
                f"| {title} | {fmt_mb(size)} | {label} | {mode} | {fmt_ms(seconds)} "
                f"| {size / MB / seconds:.0f} | {seconds / cat_s:.1f}× "
                f"| {f'{seconds / cp_s:.1f}×' if kind != 'folder' else ''} | {fmt_mb(rss)} "
                f"| {fmt_mb(growth) if is_orvane else ''} "
                f"| {f'{growth / size:.2f}×' if is_orvane and kind != 'folder' else ''} |")

        by = {(label, mode): s for label, mode, s, _, _ in results}
        orv = [(m, s, r) for label, m, s, r, _ in results if "orvane" in label]
        if kind in ("srt", "ass", "huge"):
            copy = by[("`cp FILE OUT`", "copy")]
            for m, s, _ in orv:
                ratio = s / copy
                fastest_ratio = fastest[m] / FASTEST[tuple(cp_cmd)]
                checks.append(f"- {title}, {m}, within 3× of `cp` into a new file: "
                              f"{ratio:.1f}× (fastest runs: {fastest[m] * 1000:.1f} ms vs "
                              f"{FASTEST[tuple(cp_cmd)] * 1000:.1f} ms, {fastest_ratio:.1f}×) — "
                              f"{'met' if ratio <= 3 else 'missed'}")
        if kind == "folder":
            for m, s, _ in orv:
                checks.append(f"- 300-file folder in one call ({m}) at most the `cat` loop: "
                              f"{s * 1000:.0f} ms vs {cat_s * 1000:.0f} ms, {s / cat_s:.2f}× — "
                              f"{'met' if s <= cat_s else 'missed'}")
        if kind in ("srt", "ass", "huge"):
            for m, s, r in orv:
                growth = max(0, r - empty_rss)
                checks.append(
                    f"- Peak memory under 2× the file above an empty run ({title}, {m}): "
                    f"growth {fmt_mb(growth)}, {growth / size:.2f}× — "
                    f"{'met' if growth < 2 * size else 'missed'}")

    print(f"Machine: {platform.machine()}, {os.cpu_count()} CPUs, "
          f"{platform.platform()}; work folder {work}")
    print(f"Median of {args.runs} runs after one warm-up (peers: {args.peer_runs}, folder "
          f"loops of peers: 1). MB = 10^6 bytes.\n"
          f"Empty run (a one-cue file): {fmt_ms(empty_s)}, peak RSS {fmt_mb(empty_rss)}; "
          f"`orvane-shift --help` alone: {fmt_ms(help_s)}.\n")
    print("| workload | size | program | mode | wall time | MB/s | × cat | × cp | peak RSS "
          "| RSS growth over empty run | growth ÷ size |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    print("\n".join(rows))
    print("\nTargets:\n" + "\n".join(checks))
    return 0


if __name__ == "__main__":
    sys.exit(main())
