#!/usr/bin/env python3
"""The selection overlay under Wine: the time from the region command to the dimmed overlay on
screen, less the program's fixed 300 ms pause, at full HD and 4K, next to the whole-screen
command's time to its preview (the same grab, without the overlay), measured in turns; and at
4K the time from a pointer move to the redrawn rubber band on screen, for a band that grows
(about 1000 x 600 pixels) and one that shrinks (the whole dimmed screen is drawn again). Run
after the Windows build:

    python3 bench/overlay_latency.py [--runs N]
"""
import argparse
import statistics
import sys
from pathlib import Path

root = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(root / "tests" / "e2e"))
import harness  # noqa: E402
import pictures  # noqa: E402

SIZES = [(1920, 1080), (3840, 2160)]
PAUSE_MS = 300
OVERLAY = "Capturing..."
START = (200, 200)


def elapsed(result):
    return float(result["elapsed_ms"])


def open_overlay(desk, config, width, height):
    """Milliseconds from the command to the dimmed white and grey panels at the screen's
    bottom (painted last) being on screen."""
    result = desk.driver("time-command", "--title", config.texts["#Program_Name"],
                         "--class", "OrvantaMain", "--id", 7, "--until", OVERLAY,
                         "--expect", f"10,{height - 10},=0xbfbfbf",
                         "--expect", f"{width // 2 + 10},{height - 10},=0x727272")
    return elapsed(result) - PAUSE_MS


def close_preview(desk, title):
    """Escape once the preview is the window in front, where the key goes."""
    harness.poll(lambda: desk.driver("foreground").get("title") == title, timeout=15,
                 what="the preview in front")
    desk.driver("keys", "press:escape")
    desk.driver("wait-gone", "--title", title, "--timeout", 5000)


def whole_screen(desk, config):
    """Milliseconds from the whole-screen command to its preview window, for comparison."""
    title = config.texts["#TXT00046"]
    result = desk.driver("time-command", "--title", config.texts["#Program_Name"],
                         "--class", "OrvantaMain", "--id", 8, "--until", title)
    close_preview(desk, title)
    return elapsed(result) - PAUSE_MS


def close_overlay(desk, config):
    desk.driver("mouse", "click", 100, 100)
    title = config.texts["#TXT00046"]
    desk.driver("wait", "--title", title, "--visible", "--timeout", 15000)
    close_preview(desk, title)


def band_moves(desk, runs):
    """Alternating moves of the dragged corner: out to a bigger band, back to a smaller one.
    Only every second move redraws, so a move that is not measured sits between two measured
    ones. Returns the times of the growing and of the shrinking redraws."""
    grow, shrink = [], []
    desk.driver("mouse", "move", *START)
    desk.driver("mouse", "down")
    small, big = (1200, 800), (1300, 900)
    previous = START
    for i in range(2 * runs):
        corner = big if i % 2 == 0 else small
        result = desk.driver_raw("time-move", *corner, "--timeout", 3000,
                                 "--expect", f"{corner[0] - 1},{corner[1] - 1},=0x000000",
                                 "--expect", f"{previous[0] - 1},{previous[1] - 1},!0x000000")
        if result.returncode == 0:
            value = elapsed(harness.parse_pairs(result.stdout.decode()))
            (grow if corner == big else shrink).append(value)
            previous = corner
        # The move in between, taken alone, so that the next measured move redraws.
        desk.driver("mouse", "move", corner[0] + 3, corner[1] + 3)
        desk.driver("cursor")
    desk.driver("mouse", "up")
    return grow, shrink


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=9)
    args = parser.parse_args()
    config, session = harness.bench_session(root, "overlay-latency")
    for width, height in SIZES:
        with session.desktop(width=width, height=height) as desk:
            desk.show_image(pictures.make_tone_picture(session.artifacts / "screen.bmp",
                                                       width, height))
            program = desk.start()
            opening, screen = [], []
            for _ in range(args.runs):
                opening.append(open_overlay(desk, config, width, height))
                close_overlay(desk, config)
                screen.append(whole_screen(desk, config))
            print(f"{width}x{height} open: median {statistics.median(opening):.1f} ms  runs:",
                  " ".join(f"{v:.0f}" for v in opening))
            print(f"{width}x{height} whole-screen preview: median "
                  f"{statistics.median(screen):.1f} ms  runs:", " ".join(f"{v:.0f}" for v in screen))
            if width == 3840:
                open_overlay(desk, config, width, height)
                grow, shrink = band_moves(desk, args.runs)
                for name, values in (("grow", grow), ("shrink", shrink)):
                    if values:
                        print(f"{width}x{height} band {name}: median "
                              f"{statistics.median(values):.1f} ms  runs:",
                              " ".join(f"{v:.1f}" for v in values))
                title = config.texts["#TXT00046"]
                desk.driver("wait", "--title", title, "--visible", "--timeout", 15000)
                close_preview(desk, title)
            desk.quit(program)


if __name__ == "__main__":
    main()
