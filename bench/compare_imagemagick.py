#!/usr/bin/env python3
"""Times the image transforms against ImageMagick on the same pictures, in one run.

Usage: bench/compare_imagemagick.py [--build DIR] [--repeat N]

The pictures come from imaging_bench itself (--write-ppm): a synthetic screenshot and a noisy
photo-like picture at 1920x1080, 3840x2160 and 7680x2160. ImageMagick works on them in its
memory-mapped MPC format in a RAM-backed folder, and a plain read-and-write of the same picture
is subtracted, so what remains is the operation. ImageMagick runs on one thread, as our code
does, and both are timed in processor time (user + system), which a busy machine disturbs far
less than wall-clock time. Every time is the best of several runs. Ratios to memcpy are ours
divided by a memcpy of the same bytes measured in the same run.
"""

import argparse
import json
import os
import resource
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CONVERT = "/usr/bin/convert"  # the real program, not a wrapper earlier on PATH
LIMITS = ["-limit", "memory", "4GiB", "-limit", "map", "8GiB", "-limit", "area", "2GP",
          "-limit", "thread", "1"]
SIZES = ["1920x1080", "3840x2160", "7680x2160"]
KINDS = ["screenshot", "photo"]
OURS = ["memcpy", "rotate", "grey", "negative", "dim", "dim_into", "palette_build",
        "palette_map", "reduce_to_palette"]
# Our operation -> ImageMagick's nearest operation.
MAGICK = {
    "rotate": ["-rotate", "270"],
    "grey": ["-grayscale", "Average"],  # (R + G + B) / 3, as MakeGrey
    "negative": ["-negate"],
    "reduce_to_palette": ["+dither", "-colors", "256"],
}


def run_benchmark(bench, repeat):
    out = subprocess.run(
        [bench, "--benchmark_format=json", f"--benchmark_repetitions={repeat}"],
        check=True, capture_output=True, text=True).stdout
    best, peak = {}, {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        op, kind, size = b["run_name"].split("/")[:3]
        key = (op, kind, size)
        ms = b["cpu_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        best[key] = min(best.get(key, float("inf")), ms)
        peak[key] = b.get("peak_heap", 0.0)
    return best, peak


def cpu_seconds_of_children():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def time_commands(commands, repeat):
    """Best processor time in ms of each command; the commands take turns, so a busy spell of
    the machine does not fall on one of them only."""
    best = [float("inf")] * len(commands)
    for _ in range(repeat):
        for i, args in enumerate(commands):
            before = cpu_seconds_of_children()
            subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            best[i] = min(best[i], cpu_seconds_of_children() - before)
    return [seconds * 1000.0 for seconds in best]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build" / "host"))
    parser.add_argument("--repeat", type=int, default=5)
    options = parser.parse_args()
    bench = Path(options.build) / "bench" / "imaging_bench"
    if not bench.exists():
        sys.exit(f"{bench} is missing: build the host preset first")
    if not os.path.exists(CONVERT):
        sys.exit(f"{CONVERT} is missing: ImageMagick is needed for the comparison")

    scratch = Path(tempfile.mkdtemp(dir="/dev/shm" if os.path.isdir("/dev/shm") else None))
    try:
        subprocess.run([str(bench), f"--write-ppm={scratch}"], check=True)
        ours, peak = run_benchmark(str(bench), options.repeat)
        print(f"{'picture':<22} {'operation':<18} {'ours ms':>9} {'x memcpy':>9} "
              f"{'IM ms':>9} {'IM / ours':>9} {'peak heap MB':>12}")
        for kind in KINDS:
            for size in SIZES:
                picture = scratch / f"{kind}-{size}.ppm"
                cache = scratch / f"{kind}-{size}.mpc"
                out = scratch / "out.mpc"
                subprocess.run([CONVERT, *LIMITS, str(picture), str(cache)], check=True)
                ops = [op for op in OURS if op in MAGICK]
                times = time_commands(
                    [[CONVERT, *LIMITS, str(cache), str(out)]] +
                    [[CONVERT, *LIMITS, str(cache), *MAGICK[op], str(out)] for op in ops],
                    options.repeat)
                base = times[0]
                magick = {op: t - base for op, t in zip(ops, times[1:])}
                memcpy = ours[("memcpy", kind, size)]
                for op in OURS:
                    ms = ours[(op, kind, size)]
                    line = f"{kind + ' ' + size:<22} {op:<18} {ms:9.2f} {ms / memcpy:9.2f}"
                    if op in magick:
                        line += f" {magick[op]:9.1f} {magick[op] / ms:9.1f}"
                    else:
                        line += f" {'':>9} {'':>9}"
                    line += f" {peak[(op, kind, size)] / 1e6:12.1f}"
                    print(line, flush=True)
                print(f"{kind + ' ' + size:<22} {'(IM read+write)':<18} {'':>9} {'':>9} "
                      f"{base:9.1f}", flush=True)
                for leftover in scratch.glob(f"{kind}-{size}.*"):
                    leftover.unlink()
    finally:
        shutil.rmtree(scratch)


if __name__ == "__main__":
    main()
