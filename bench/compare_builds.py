#!/usr/bin/env python3
"""Times the image transforms of two builds against each other, in one run.

Usage: bench/compare_builds.py BEFORE_BUILD AFTER_BUILD [--filter REGEX] [--runs N]

Each build is a host build folder with bench/imaging_bench. The two benchmarks take turns, N
runs each, so a busy spell of the machine does not fall on one of them only. In every run an
operation is divided by the memcpy of the same bytes in that run; the table gives the medians of
those ratios and of the times, in processor time.
"""

import argparse
import json
import statistics
import subprocess
import sys
from pathlib import Path


def one_run(bench, pattern):
    out = subprocess.run(
        [bench, "--benchmark_format=json", f"--benchmark_filter=^(memcpy|{pattern})/"],
        check=True, capture_output=True, text=True).stdout
    times = {}
    for b in json.loads(out)["benchmarks"]:
        op, kind, size = b["run_name"].split("/")[:3]
        unit = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        times[(op, kind, size)] = b["cpu_time"] * unit
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("before")
    parser.add_argument("after")
    parser.add_argument("--filter", default="rotate", help="operations, a regular expression")
    parser.add_argument("--runs", type=int, default=7)
    options = parser.parse_args()
    builds = {"before": options.before, "after": options.after}
    benches = {name: Path(b) / "bench" / "imaging_bench" for name, b in builds.items()}
    for bench in benches.values():
        if not bench.exists():
            sys.exit(f"{bench} is missing: build the host preset there first")

    runs = {name: [] for name in benches}
    for _ in range(options.runs):
        for name, bench in benches.items():
            runs[name].append(one_run(str(bench), options.filter))

    print(f"{'operation':<12} {'picture':<22} {'memcpy ms':>9} {'before ms':>9} {'x memcpy':>8} "
          f"{'after ms':>9} {'x memcpy':>8}")
    for key in runs["before"][0]:
        op, kind, size = key
        if op == "memcpy":
            continue
        memcpy_key = ("memcpy", kind, size)
        line = f"{op:<12} {kind + ' ' + size:<22}"
        line += f" {statistics.median(r[memcpy_key] for r in runs['after']):9.2f}"
        for name in benches:
            ms = statistics.median(r[key] for r in runs[name])
            ratio = statistics.median(r[key] / r[memcpy_key] for r in runs[name])
            line += f" {ms:9.2f} {ratio:8.2f}"
        print(line, flush=True)


if __name__ == "__main__":
    main()
