"""The largest and the smallest screens: a 7680 x 4320 virtual display through the preview, every
transform, every output but printing (printing.py prints from one) and a region capture, with
the resident memory of each step against what the step may hold; and a screen of one pixel
through all of them.

What a step may hold is counted in pictures: one picture is a 24-bit image of the screen with
its rows padded to four bytes (94.9 MiB at 7680 x 4320). The capture is the grab itself, handed
over, so a capture in the preview holds two (the capture and the backup that restore goes back
to); turning makes a third for a moment; the clipboard gets its own copy of the bitmap and keeps
the capture for its other forms, which it makes when asked for (the 32-bit bitmap, four thirds;
the PNG, from rows laid out for the compressor, one picture, and the compressed stream); a saved
PNG needs the same rows; a GIF needs an 8-bit copy (a third of a picture) and the palette
tables. What Wine itself takes while it works for
the program (its copy of the screen from the X server, its GDI+ encoders) is allowed for apart,
as measured (docs/performance.md, "Memory at the peak")."""
import contextlib
import subprocess
import time

import pictures
from footprint import MIB, Footprint, mib
from harness import poll, windows_path
from scenarios.export import FORMATS, adaptive_palette, requester_title
from scenarios.paint import install_paint_standin
from scenarios.preview import CANVAS, picture_rect, preview_title
from scenarios.selection import OVERLAY
from scenarios.transforms import canvas_picture, grey_fraction

ROTATE, GREY, NEGATIVE, RESTORE = 34, 36, 35, 42
CLIPBOARD, PAINT, SAVE, CANCEL = 39, 45, 44, 46
SIZE_LABEL = 48
# Libraries loaded on first use (the save requester's shell code, GDI+), encoder buffers, the
# preview's small picture and file buffers: anything that is not a picture.
SLACK = 16 * MIB


def picture_bytes(width, height):
    return (width * 3 + 3) // 4 * 4 * height


@contextlib.contextmanager
def big_files(e2e):
    """Names for pictures of a hundred megabytes, all removed when the test ends."""
    made = []

    def name(file_name):
        made.append(e2e.artifacts / file_name)
        return made[-1]
    try:
        yield name
    finally:
        for path in made:
            path.unlink(missing_ok=True)


class PeakMemory:
    """The resident memory of one program run, step by step: each step's peak above the size
    before it, checked against the pictures the step may add."""

    def __init__(self, e2e, desk, width, height):
        self.e2e, self.desk = e2e, desk
        self.footprint = Footprint(desk, desk.main_window()["pid"])
        self.picture = picture_bytes(width, height)
        self.idle = self.footprint.sample()["rss"]
        self.highest = self.idle
        self.rows = []

    def step(self, name, action, own, wine=0.0):
        """Runs action (driver commands, or a function) and checks that its peak stays within
        `own` pictures of the program's, `wine` pictures that Wine takes, and SLACK."""
        run = action if callable(action) else lambda: self.desk.batch(action, timeout=200)
        start = time.monotonic()
        result, peak, before = self.footprint.peak_of(run)
        seconds = time.monotonic() - start
        after = self.footprint.sample()["rss"]
        self.highest = max(self.highest, before + peak)
        self.rows.append(f"{name:34} {seconds:6.2f} s  peak +{mib(peak):>11} "
                         f"({peak / self.picture:4.2f} pictures; may add {own:.2f} + {wine:.2f} "
                         f"of Wine's)  held after {mib(after - self.idle):>11}")
        bound = (own + wine) * self.picture + SLACK
        assert peak <= bound, f"{name}: peak {mib(peak)} above {mib(before)}, bound {mib(bound)}"
        return result

    def held(self):
        """What the program holds now above its idle size."""
        return self.footprint.sample()["rss"] - self.idle

    def report(self):
        lines = [f"picture {mib(self.picture)}, idle {mib(self.idle)}, highest "
                 f"{mib(self.highest)} ({mib(self.highest - self.idle)} above idle, "
                 f"{(self.highest - self.idle) / self.picture:.2f} pictures)", *self.rows]
        text = "\n".join(lines)
        print(text)
        with open(self.e2e.artifacts / "figures.txt", "a") as out:
            out.write(text + "\n")


def capture_into_preview(e2e, width, height):
    return [["post-command", "--title", e2e.texts["#Program_Name"], "--class", "OrvantaMain",
             "--id", 8],
            ["wait", "--title", preview_title(e2e), "--visible", "--timeout", 60000],
            size_label(e2e, width, height)]


def press(e2e, control):
    return ["click", "--title", preview_title(e2e), "--id", control]


def size_label(e2e, width, height):
    return ["wait-text", "--title", preview_title(e2e), "--id", SIZE_LABEL,
            "--text", f"{width} x {height}", "--timeout", 60000]


def preview_gone(e2e):
    return ["wait-gone", "--title", preview_title(e2e), "--timeout", 60000]


def save_commands(e2e, path, index):
    return [press(e2e, SAVE), preview_gone(e2e),
            ["save-dialog", "--title", requester_title(e2e), "--timeout", 60000,
             "--filter", index, "--name", windows_path(path)],
            ["wait-gone", "--title", requester_title(e2e), "--timeout", 60000],
            ["wait-file", windows_path(path), "--timeout", 120000]]


def test_a_7680x4320_screen_through_the_preview_the_transforms_the_clipboard_and_paint(e2e):
    width, height = 7680, 4320
    with e2e.desktop(width=width, height=height) as desk, big_files(e2e) as big:
        folder = desk.install()
        record, painted = install_paint_standin(e2e, desk)
        big(painted.relative_to(e2e.artifacts))
        program = desk.start(folder)
        desk.show_image(pictures.make_test_picture(big("screen.bmp"), width, height))
        memory = PeakMemory(e2e, desk, width, height)
        before = desk.steady_screenshot(big("before.bmp"))

        # Capture and backup; Wine's copy of the screen from the X server comes on top.
        memory.step("capture into the preview", capture_into_preview(e2e, width, height), own=2,
                    wine=1)
        window = desk.driver("wait", "--title", preview_title(e2e), "--visible")
        assert 2 * memory.picture - SLACK < memory.held() < 2 * memory.picture + SLACK
        memory.step("quarter turn", [press(e2e, ROTATE), size_label(e2e, height, width)], own=1)
        # Grey and negative work in place; restore lets the capture go before it copies the
        # backup back.
        desk.driver("click", "--title", preview_title(e2e), "--id", GREY)
        memory.step("grey", lambda: poll(lambda: grey_fraction(canvas_picture(
            desk, window, e2e.artifacts / "grey.png")) > 0.999, timeout=60, what="a grey canvas"),
            own=0)
        memory.step("negative and restore",
                    [press(e2e, NEGATIVE), press(e2e, RESTORE), size_label(e2e, width, height)],
                    own=0)
        # The preview shows the restored capture, scaled down by averaging: against
        # ImageMagick's box filter on the screenshot.
        x, y, w, h = picture_rect(width, height)
        ox, oy = map(int, window["client_origin"].split(","))
        drawn = desk.screenshot(e2e.artifacts / "drawn.png", crop=(
            ox + CANVAS[0] + x + 1, oy + CANVAS[1] + y + 1, w - 2, h - 2))
        expected = e2e.artifacts / "expected.png"
        subprocess.run(["convert", str(before), "-filter", "box", "-resize", f"{w}x{h}!",
                        "-crop", f"{w - 2}x{h - 2}+1+1", "+repage", str(expected)], check=True)
        assert pictures.mean_error(drawn, expected) < 0.03

        memory.step("copy to the clipboard",
                    [press(e2e, CLIPBOARD), preview_gone(e2e),
                     ["wait-clipboard-dib", "--width", width, "--height", height,
                      "--timeout", 60000]], own=1)
        copied = big("clipboard.bmp")
        desk.driver("clipboard-dib", windows_path(copied), timeout=120)
        assert pictures.identical(copied, before), "the clipboard holds the screen"
        # The delayed forms, made from the capture the clipboard keeps. The screen's PNG is small
        # beside the rows it is made from: a quarter of a picture covers it twice over.
        memory.step("paste of the 32-bit bitmap",
                    [["clipboard-dib", windows_path(big("clipboard-v5.bmp")), "--format",
                      "dibv5"]], own=4 / 3)
        memory.step("paste of the PNG", [["clipboard-png", windows_path(big("clipboard.png"))]],
                    own=1.25)
        assert pictures.identical(big("clipboard.png"), before), "the clipboard's PNG"

        desk.batch(capture_into_preview(e2e, width, height))
        memory.step("paint program", [press(e2e, PAINT), preview_gone(e2e),
                                      ["wait-file", windows_path(record), "--timeout", 60000]],
                    own=0)
        assert "copied=1" in record.read_text(), "the bitmap was there when the program started"
        assert pictures.identical(painted, before), "the paint program got the screen"

        # A region: the frozen screen and its dimmed picture on the overlay, kept in 32 bits, the
        # screen's own format and made before the grab; Wine's copy of the screen while it grabs,
        # which comes while the picture is already there, and its 32-bit surface of the window,
        # which paints the picture without a converted copy. Then the part cut out and its
        # backup. Once the preview is cancelled nothing of it is left.
        held = memory.held()
        desk.put_pointer(1000, 1000)  # before the overlay appears under it
        memory.step("region overlay", [
            ["post-command", "--title", e2e.texts["#Program_Name"], "--class", "OrvantaMain",
             "--id", 7],
            ["wait", "--title", OVERLAY, "--class", "OrvantaOverlay", "--visible",
             "--timeout", 60000]], own=1 + 4 / 3, wine=8 / 3)
        memory.step("region drag into the preview", [
            ["mouse", "drag", 1000, 1000, 2920, 2080, 2],
            ["wait", "--title", preview_title(e2e), "--visible", "--timeout", 60000],
            size_label(e2e, 1920, 1080)], own=0.125)
        desk.batch([press(e2e, CANCEL), preview_gone(e2e)])
        assert memory.held() - held < SLACK, "the frozen screen was let go"
        memory.report()
        assert desk.quit(program) == 0


def test_a_7680x4320_screen_saved_in_the_five_formats(e2e):
    width, height = 7680, 4320
    with e2e.desktop(width=width, height=height) as desk, big_files(e2e) as big:
        program = desk.start()
        desk.show_image(pictures.make_test_picture(big("screen.bmp"), width, height))
        memory = PeakMemory(e2e, desk, width, height)
        before = desk.steady_screenshot(big("before.bmp"))
        # What each save may add to the capture and backup: the JPEG and BMP encoders write row
        # by row; the PNG's compressor takes the rows laid out at once (a picture) and gives the
        # compressed stream, a small part of one for this screen; a GIF needs an 8-bit copy and
        # the palette tables, and GDI+ under Wine makes its own 8-bit copy and encodes; Wine's
        # TIFF encoding takes about four pictures (its copy of the bitmap, the file growing in
        # memory, and a copy it never frees).
        allowed = {"jpg": (0, 0), "gif": (1 / 3, 2 / 3), "png": (1.25, 0), "bmp": (0, 0),
                   "tif": (0, 4)}
        for index, extension in enumerate(FORMATS):
            saved = big(f"saved.{extension}")
            desk.batch(capture_into_preview(e2e, width, height))
            own, wine = allowed[extension]
            memory.step(f"save as {extension}", save_commands(e2e, saved, index), own, wine)
            kind = subprocess.run(["identify", "-ping", "-format", "%m %w %h", str(saved)],
                                  check=True, capture_output=True, text=True).stdout
            assert kind.split()[1:] == [str(width), str(height)], kind
            if extension in ("png", "bmp", "tif"):
                assert pictures.identical(saved, before), f"{saved.name} differs from the screen"
            else:  # JPEG, and a GIF of a picture with more than 256 colours
                if extension == "gif":  # ImageMagick compares a GIF this large only as a BMP
                    decoded = big("saved-gif.bmp")
                    subprocess.run(["convert", str(saved), "-type", "TrueColor",
                                    f"BMP3:{decoded}"], check=True)
                    saved.unlink()
                    saved = decoded
                assert pictures.mean_error(saved, before) < 0.02, saved.name
            saved.unlink()
        memory.report()
        assert desk.quit(program) == 0


def test_a_one_pixel_screen_through_every_transform_and_output_but_print(e2e):
    with e2e.desktop(width=1, height=1) as desk:
        folder = desk.install()
        record, painted = install_paint_standin(e2e, desk)
        program = desk.start(folder)
        dot = e2e.artifacts / "dot.bmp"
        subprocess.run(["convert", "-size", "1x1", "xc:#c04020", "-type", "TrueColor",
                        f"BMP3:{dot}"], check=True)
        desk.show_image(dot)  # over the tray window, which came with the program's icon
        pixel = pictures.pixel(desk.screenshot(e2e.artifacts / "screen.png"), 0, 0)
        assert pixel == (192, 64, 32)
        grey = (sum(pixel) // 3,) * 3
        negative = tuple(255 - c for c in pixel)
        copied = e2e.artifacts / "clipboard.bmp"

        # The preview lies off the one-pixel screen, but its buttons work; the picture goes
        # on the clipboard as a 1 x 1 bitmap with its row padded to four bytes.
        for buttons, expected in (([ROTATE, GREY], grey), ([NEGATIVE], negative),
                                  ([NEGATIVE, RESTORE], pixel), ([ROTATE, ROTATE], pixel)):
            desk.driver("set-clipboard-text", "before the copy")
            desk.batch([*capture_into_preview(e2e, 1, 1), *[press(e2e, b) for b in buttons],
                        size_label(e2e, 1, 1), press(e2e, CLIPBOARD), preview_gone(e2e),
                        ["wait-clipboard-dib", "--width", 1, "--height", 1]])
            header = desk.driver("clipboard-dib", windows_path(copied))
            assert header["image_size"] == "4" and header["size"] == "44", header
            assert pictures.pixel(copied, 0, 0) == expected, (buttons, expected)

        # A region on it: a drag shorter than 5 pixels is a click, which takes the whole
        # frozen screen (a 1 x 1 region cannot be dragged on a larger one).
        desk.driver("set-clipboard-text", "before the copy")
        desk.batch([["post-command", "--title", e2e.texts["#Program_Name"], "--class",
                     "OrvantaMain", "--id", 7],
                    ["wait", "--title", OVERLAY, "--class", "OrvantaOverlay", "--visible"],
                    ["mouse", "click", 0, 0],
                    ["wait", "--title", preview_title(e2e), "--visible", "--timeout", 15000],
                    size_label(e2e, 1, 1), press(e2e, CLIPBOARD), preview_gone(e2e),
                    ["wait-clipboard-dib", "--width", 1, "--height", 1]])
        desk.driver("clipboard-dib", windows_path(copied))
        assert pictures.pixel(copied, 0, 0) == pixel, "a region of the one-pixel screen"

        desk.batch([*capture_into_preview(e2e, 1, 1), press(e2e, PAINT), preview_gone(e2e),
                    ["wait-file", windows_path(record)]])
        assert "copied=1" in record.read_text()
        assert pictures.size(painted) == (1, 1) and pictures.pixel(painted, 0, 0) == pixel

        out = e2e.artifacts / "saved"
        out.mkdir()
        rgb = pixel[0] << 16 | pixel[1] << 8 | pixel[2]
        # One pixel and the rule's extra black: every palette entry is black.
        gif_colour = adaptive_palette([rgb])[0]
        for index, extension in enumerate(FORMATS):
            saved = out / f"dot.{extension}"
            desk.batch([*capture_into_preview(e2e, 1, 1), *save_commands(e2e, saved, index)])
            assert pictures.size(saved) == (1, 1), saved.name
            shown = pictures.pixel(saved, 0, 0)
            if extension == "jpg":
                assert max(abs(a - b) for a, b in zip(shown, pixel)) <= 8, shown
            elif extension == "gif":
                assert shown == (gif_colour >> 16, gif_colour >> 8 & 255, gif_colour & 255)
            else:
                assert shown == pixel, (saved.name, shown)
        assert desk.quit(program) == 0
