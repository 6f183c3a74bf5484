"""Long use: hundreds of captures through the preview's buttons and outputs in one run of the
program. Every cycle must do its work (each step waits for its visible effect or for one that
is queued after it), and afterwards the program must hold no more memory, GDI objects, kernel
handles, windows or file descriptors than after its first cycle, give or take a small bound.

The cycles run in batches inside one driver process; between batches the footprint is sampled,
so that a slow leak shows as a trend and not only as a difference between two numbers."""
import subprocess
import time

import pictures
from footprint import MIB, WINE_DC_CACHE, Footprint, mib
from harness import only_under_wine, windows_path
from scenarios.export import FORMATS, requester_title
from scenarios.preview import preview_title
from scenarios.selection import OVERLAY

ROTATE, GREY, CLIPBOARD, SAVE, CANCEL = 34, 36, 39, 44, 46
SIZE_LABEL = 48
MAGIC = {"jpg": b"\xff\xd8\xff", "gif": b"GIF89a", "png": b"\x89PNG\r\n\x1a\n", "bmp": b"BM",
         "tif": b"II*\0"}

# How far the footprint after the last cycle may lie above the one after the first. The memory
# bound is well below one capture image (a leaked image, or a leaked clipboard copy, of even one
# cycle exceeds it). Device contexts are bounded apart: Wine caches up to 64 for drawing into
# windows, filled as painting happens to need them, so at any time in a soak; a leaked one
# would pass that number within the cycles. Registry keys are counted apart from the other
# handles (below).
MEMORY_BOUND = 1 * MIB
GDI_BOUND = 8
DEVICE_CONTEXTS = WINE_DC_CACHE + 8  # the program's own few besides the cache
HANDLE_BOUND = 3
FD_BOUND = 3
# Over the second half of a soak nothing may grow but noise, and the odd object Wine's save
# requester makes the first time it lists a kind of file: a leak of one GDI object in ten cycles
# shows here.
SECOND_HALF_MEMORY_BOUND = MIB // 2
SECOND_HALF_GDI_BOUND = 4

# Why the soak is left out of the Wine 10 run.
SOAK_ONCE = "the program's own leaks, counted once under Wine 8 to keep the test run in its time"


def on_main_window(e2e):
    return ["--title", e2e.texts["#Program_Name"], "--class", "OrvantaMain"]


def capture_into_preview(e2e):
    """Whole-screen capture; the preview window (its predecessor is gone) shows it."""
    return [["post-command", *on_main_window(e2e), "--id", 8],
            ["wait", "--title", preview_title(e2e), "--visible", "--timeout", 15000]]


def press(e2e, control):
    return ["click", "--title", preview_title(e2e), "--id", control]


def preview_gone(e2e):
    return ["wait-gone", "--title", preview_title(e2e), "--timeout", 10000]


def turned_label(e2e, width, height):
    return ["wait-text", "--title", preview_title(e2e), "--id", SIZE_LABEL,
            "--text", f"{height} x {width}"]


class Soak:
    """One program on one desk, its cycles run in batches and its footprint sampled."""

    def __init__(self, e2e, desk, name, platform_growth=None):
        """platform_growth(from_cycle, to_cycle) gives what Wine itself is known to keep over
        those cycles, as a dict of figures (none by default)."""
        self.e2e, self.desk, self.name = e2e, desk, name
        self.platform_growth = platform_growth or (lambda first, last: {})
        self.program = desk.start()
        self.footprint = Footprint(desk, desk.main_window()["pid"])
        self.samples = []  # (cycles done, sample)
        self.done = 0
        self.started = time.monotonic()

    def run(self, cycle, count, before_each=None):
        """Runs cycle(i) (a list of driver commands) for the next count cycles, then samples;
        all in one batch, or one batch a cycle after before_each(i) when that is given."""
        cycles = range(self.done, self.done + count)
        if before_each:
            for i in cycles:
                before_each(i)
                self.desk.batch(cycle(i))
        else:
            self.desk.batch([command for i in cycles for command in cycle(i)], timeout=220)
        self.done += count
        self.samples.append((self.done, self.footprint.sample()))

    def report(self):
        """The figures of the run, as printed in the test's output and kept in its artifacts."""
        seconds = time.monotonic() - self.started
        keys = ["anonymous", "rss", "rss_anon", "gdi_objects", "device_contexts",
                "other_gdi_objects", "kernel_handles", "registry_keys", "windows", "fds",
                "xvfb_rss"]
        lines = [f"{self.name}: {self.done} cycles in {seconds:.0f} s "
                 f"({seconds / self.done * 1000:.0f} ms a cycle)",
                 "cycles " + " ".join(f"{k:>17}" for k in keys)]
        sizes = ("anonymous", "rss", "rss_anon", "xvfb_rss")
        for done, sample in self.samples:
            shown = [mib(sample[k]) if k in sizes else str(sample[k]) for k in keys]
            lines.append(f"{done:6} " + " ".join(f"{v:>17}" for v in shown))
        text = "\n".join(lines)
        print(text)
        (self.e2e.artifacts / "figures.txt").write_text(text + "\n")

    def check(self):
        """The last sample against the first and against the middle one, then a clean quit."""
        self.report()

        def compare(since, last, bounds, what):
            known = self.platform_growth(since[0], last[0])
            for key, bound in bounds.items():
                grown = last[1][key] - since[1][key] - known.get(key, 0)
                assert grown <= bound, (f"{key} grew by {grown} {what} (bound {bound}, beyond "
                                        f"{known.get(key, 0)} that Wine keeps)")
        handles = lambda sample: sample["kernel_handles"] - sample["registry_keys"]  # noqa: E731
        for _, sample in self.samples:
            sample["other_handles"] = handles(sample)
        compare(self.samples[0], self.samples[-1],
                {"anonymous": MEMORY_BOUND, "rss_anon": MEMORY_BOUND,
                 "other_gdi_objects": GDI_BOUND, "other_handles": HANDLE_BOUND,
                 "registry_keys": HANDLE_BOUND, "windows": 0, "fds": FD_BOUND},
                f"over {self.done} cycles")
        compare(self.samples[len(self.samples) // 2], self.samples[-1],
                {"anonymous": SECOND_HALF_MEMORY_BOUND, "rss_anon": SECOND_HALF_MEMORY_BOUND,
                 "other_gdi_objects": SECOND_HALF_GDI_BOUND, "other_handles": 0,
                 "registry_keys": 0, "windows": 0}, "over the second half")
        for done, sample in self.samples:
            assert sample["device_contexts"] <= DEVICE_CONTEXTS, (done, sample["device_contexts"])
        assert self.desk.quit(self.program) == 0


@only_under_wine(8, SOAK_ONCE)
def test_300_captures_turned_made_grey_and_cancelled(e2e):
    width, height = 1024, 768
    with e2e.desktop(width=width, height=height) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", width, height))
        soak = Soak(e2e, desk, "capture, turn, grey, cancel")

        def cycle(_):
            # The turned size on the label shows that the turn was made; grey and cancel are
            # queued behind it, so once the preview is gone both have run.
            return [*capture_into_preview(e2e), press(e2e, ROTATE),
                    turned_label(e2e, width, height), press(e2e, GREY), press(e2e, CANCEL),
                    preview_gone(e2e)]
        soak.run(cycle, 1)
        for _ in range(6):
            soak.run(cycle, 50 if soak.done > 1 else 49)
        soak.check()


@only_under_wine(8, SOAK_ONCE)
def test_100_saves_in_turn_in_the_five_formats(e2e):
    width, height = 640, 480
    with e2e.desktop(width=width, height=height) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", width, height))
        out = e2e.artifacts / "saved"
        out.mkdir()

        def kept_by_wine(first, last):
            # Under Wine 8 the save requester leaves its key of recently visited folders open
            # each time it returns a name, and GDI+'s TIFF encoding keeps memory of the
            # picture's size (rounded up to pages) each time; neither is the program's (both
            # show in a few lines calling only the system, see docs/performance.md).
            tiffs = sum(1 for i in range(first, last) if FORMATS[i % 5] == "tif")
            picture = -(-(width * 3 * height) // 4096) * 4096
            return {"registry_keys": last - first, "anonymous": tiffs * picture,
                    "rss_anon": tiffs * picture}
        soak = Soak(e2e, desk, "save in the five formats", kept_by_wine)

        def file_of(i):
            return out / f"shot-{i:03}.{FORMATS[i % 5]}"

        def cycle(i):
            requester = requester_title(e2e)
            return [*capture_into_preview(e2e), press(e2e, SAVE), preview_gone(e2e),
                    ["save-dialog", "--title", requester, "--timeout", 15000,
                     "--filter", i % 5, "--name", windows_path(file_of(i))],
                    ["wait-gone", "--title", requester, "--timeout", 10000],
                    # Written under a temporary name and renamed when complete.
                    ["wait-file", windows_path(file_of(i)), "--timeout", 30000]]

        def check_files(first, last):
            # Every file is a whole picture of the screen in its format; then it goes, so that
            # the disk holds one batch at a time.
            names = [str(file_of(i)) for i in range(first, last)]
            for i in range(first, last):
                assert file_of(i).read_bytes()[:8].startswith(MAGIC[FORMATS[i % 5]]), file_of(i)
            kinds = subprocess.run(["identify", "-format", "%m %w %h\n", *names], check=True,
                                   capture_output=True, text=True).stdout.split("\n")
            for name, kind in zip(names, kinds):
                assert kind.split()[1:] == [str(width), str(height)], (name, kind)
            assert sorted(p.name for p in out.iterdir()) == sorted(file_of(i).name
                                                                   for i in range(first, last))
            for name in names:
                subprocess.run(["rm", name], check=True)

        # The first cycle is one save in each format: each loads what it needs the first time.
        soak.run(cycle, 5)
        check_files(0, 5)
        while soak.done < 100:
            start = soak.done
            soak.run(cycle, 30 if start < 65 else 100 - start)
            check_files(start, soak.done)
        soak.check()


@only_under_wine(8, SOAK_ONCE)
def test_100_copies_to_the_clipboard(e2e):
    width, height = 800, 600
    with e2e.desktop(width=width, height=height) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", width, height))
        soak = Soak(e2e, desk, "copy to the clipboard")

        def cycle(i):
            # Text on the clipboard first, so each copy must put a new bitmap there; every other
            # capture is turned first, so the bitmap's size tells this copy from the one before.
            turned = i % 2 == 1
            size = (height, width) if turned else (width, height)
            return [["set-clipboard-text", f"before copy {i}"], *capture_into_preview(e2e),
                    *([press(e2e, ROTATE), turned_label(e2e, width, height)] if turned else []),
                    press(e2e, CLIPBOARD), preview_gone(e2e),
                    ["wait-clipboard-dib", "--width", size[0], "--height", size[1]]]
        soak.run(cycle, 1)
        for _ in range(4):
            soak.run(cycle, 25 if soak.done > 1 else 24)
        soak.check()


@only_under_wine(8, SOAK_ONCE)
def test_100_region_captures_with_a_drag(e2e):
    width, height = 1024, 768
    # Drags of several sizes, in every direction, the smallest region (5 x 5) among them, and
    # one too narrow to be a region, which takes the whole screen.
    drags = [((100, 100), (105, 105), (5, 5)), ((300, 200), (480, 320), (180, 120)),
             ((900, 700), (100, 60), (800, 640)), ((20, 740), (620, 30), (600, 710)),
             ((500, 400), (503, 600), (width, height))]
    with e2e.desktop(width=width, height=height) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", width, height))
        soak = Soak(e2e, desk, "region capture with a drag, cancel")

        def pointer_to_start(i):
            # Before the overlay opens under it, the X pointer too: see Desktop.put_pointer.
            desk.put_pointer(*drags[i % len(drags)][0])

        def cycle(i):
            start, end, (w, h) = drags[i % len(drags)]
            return [["post-command", *on_main_window(e2e), "--id", 7],
                    ["wait", "--title", OVERLAY, "--class", "OrvantaOverlay", "--visible",
                     "--timeout", 15000],
                    ["mouse", "drag", *start, *end, 2],
                    ["wait", "--title", preview_title(e2e), "--visible", "--timeout", 15000],
                    ["wait-text", "--title", preview_title(e2e), "--id", SIZE_LABEL,
                     "--text", f"{w} x {h}"],
                    press(e2e, CANCEL), preview_gone(e2e)]
        soak.run(cycle, len(drags), pointer_to_start)
        while soak.done < 100:
            soak.run(cycle, 25 if soak.done < 75 else 100 - soak.done, pointer_to_start)
        soak.check()
