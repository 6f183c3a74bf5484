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
import ctypes
import time
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


class XDisplay:
    """The virtual display as seen from Linux, for the band moves: the pointer is moved with the
    XTest extension, as a mouse moves it, and single pixels are read back from the screen. Timed
    from here, a move leaves out Wine's SendInput, which returns only after 8 to 15 ms at 4K:
    by then the redrawn band is already on screen, so timing through it measures SendInput."""

    def __init__(self, name):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.c_void_p
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XGetPixel.restype = ctypes.c_ulong
        self.x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open the display {name}")
        self.root = self.x11.XDefaultRootWindow(self.display)

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        self.x11.XFlush(self.display)

    def pixel(self, x, y):
        image = self.x11.XGetImage(self.display, self.root, x, y, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return None
        value = self.x11.XGetPixel(image, 0, 0) & 0xFFFFFF
        self.x11.XDestroyImage(image)
        return value

    def time_move(self, x, y, shows, timeout=3.0):
        """Milliseconds from the move to the screen meeting shows(pixel), polled every half
        millisecond; None when it does not within the timeout."""
        begin = time.perf_counter()
        self.move(x, y)
        while not shows(self.pixel):
            if time.perf_counter() - begin > timeout:
                return None
            time.sleep(0.0005)
        return (time.perf_counter() - begin) * 1000.0


def band_moves(desk, runs):
    """Alternating moves of the dragged corner: out to a bigger band, back to a smaller one.
    Only every second move redraws, so a move that is not measured sits between two measured
    ones. Returns the times of the growing and of the shrinking redraws."""
    grow, shrink = [], []
    x = XDisplay(desk.env["DISPLAY"])
    desk.driver("mouse", "move", *START)
    desk.driver("mouse", "down")
    small, big = (1200, 800), (1300, 900)
    previous = START
    for i in range(2 * runs):
        corner = big if i % 2 == 0 else small
        # The band's frame is black just inside the new corner and gone from the old one.
        value = x.time_move(*corner, lambda pixel, c=corner, p=previous:
                            pixel(c[0] - 1, c[1] - 1) == 0 and pixel(p[0] - 1, p[1] - 1) != 0)
        if value is not None:
            (grow if corner == big else shrink).append(value)
            previous = corner
        # The move in between, taken alone, so that the next measured move redraws: it is
        # through once the program reports the pointer there.
        desk.driver("mouse", "move", corner[0] + 3, corner[1] + 3)
        desk.driver("cursor")
    desk.driver("mouse", "up")
    x.close()
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
