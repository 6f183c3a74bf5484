#!/usr/bin/env python3
"""Time from the whole-screen command to the preview window on screen, under Wine, minus the
program's fixed 300 ms pause, at several virtual screen sizes; and ImageMagick's
`import -window root` grabbing the same screen, as a reference. Run after the Windows build:

    python3 bench/capture_latency.py [--runs N]
"""
import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

root = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(root / "tests" / "e2e"))
import harness  # noqa: E402
import pictures  # noqa: E402

SIZES = [(1920, 1080), (3840, 2160), (7680, 2160)]
PAUSE_MS = 300


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    config, session = harness.bench_session(root, "capture-latency")
    title = config.texts["#TXT00046"]
    print(f"{'screen':>11} | {'grab+preview ms':>15} | {'import -window root ms':>22}")
    for width, height in SIZES:
        with session.desktop(width=width, height=height) as desk:
            desk.show_image(pictures.make_test_picture(session.artifacts / "screen.bmp", width, height))
            program = desk.start()
            ours = []
            for _ in range(args.runs):
                result = desk.driver("time-command", "--title", config.texts["#Program_Name"],
                                     "--class", "OrvantaMain", "--id", 8, "--until", title)
                ours.append(float(result["elapsed_ms"]) - PAUSE_MS)
                desk.driver("keys", "press:escape")
                desk.driver("wait-gone", "--title", title, "--timeout", 5000)
            theirs = []
            for _ in range(args.runs):
                start = time.perf_counter()
                subprocess.run(["import", "-display", desk.xvfb.display, "-window", "root",
                                str(session.artifacts / "import.bmp")], check=True)
                theirs.append((time.perf_counter() - start) * 1000)
            desk.quit(program)
        print("   runs:", " ".join(f"{v:.0f}" for v in ours), "|", " ".join(f"{v:.0f}" for v in theirs))
        print(f"{width:>5}x{height:<5} | {statistics.median(ours):>15.1f} | "
              f"{statistics.median(theirs):>22.1f}")


if __name__ == "__main__":
    main()
