"""The preview's icon buttons: quarter turn, grey, negative and restore."""
import subprocess

import pictures
from harness import poll
from scenarios.preview import CANVAS, controls, preview_title, wait_preview


def canvas_picture(desk, window, path):
    ox, oy = map(int, window["client_origin"].split(","))
    return desk.screenshot(path, crop=(ox + CANVAS[0], oy + CANVAS[1], CANVAS[2], CANVAS[3]))


def grey_fraction(path):
    """Share of pixels whose three channels are equal."""
    out = subprocess.run(["convert", str(path), "-fx", "(r==g && g==b) ? 1 : 0", "-format",
                          "%[fx:mean]", "info:"], check=True, capture_output=True, text=True)
    return float(out.stdout)


def test_turn_grey_negative_and_restore(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", 800, 600))
        program = desk.start()
        desk.command(8)
        window = wait_preview(desk, e2e)
        label = lambda: dict(controls(desk, e2e))[48]["text"]  # noqa: E731
        assert label() == "800 x 600"
        first = canvas_picture(desk, window, e2e.artifacts / "first.png")
        assert grey_fraction(first) < 0.9

        desk.driver("click", "--title", preview_title(e2e), "--id", 34)  # rotate
        poll(lambda: label() == "600 x 800", timeout=10, what="the turned size")
        desk.driver("click", "--title", preview_title(e2e), "--id", 36)  # grey
        poll(lambda: grey_fraction(canvas_picture(desk, window, e2e.artifacts / "grey.png"))
             > 0.999, timeout=10, what="a grey picture")
        desk.driver("click", "--title", preview_title(e2e), "--id", 35)  # negative
        desk.driver("click", "--title", preview_title(e2e), "--id", 42)  # restore
        poll(lambda: label() == "800 x 600", timeout=10, what="the first size again")
        poll(lambda: pictures.identical(first, canvas_picture(desk, window,
                                                             e2e.artifacts / "restored.png")),
             timeout=10, what="the restored picture")

        # Four turns give the start back. Grey comes last, so once the canvas is grey all four
        # turns have been made; it must then equal the unturned picture made grey.
        click = lambda control: desk.driver("click", "--title", preview_title(e2e),  # noqa: E731
                                            "--id", control)
        click(36)
        reference = e2e.artifacts / "grey-unturned.png"
        poll(lambda: grey_fraction(canvas_picture(desk, window, reference)) > 0.999,
             timeout=10, what="the unturned picture made grey")
        click(42)
        poll(lambda: pictures.identical(first, canvas_picture(desk, window,
                                                             e2e.artifacts / "restored2.png")),
             timeout=10, what="the restored picture")
        for _ in range(4):
            click(34)
        click(36)
        poll(lambda: pictures.identical(reference, canvas_picture(
            desk, window, e2e.artifacts / "four-turns.png")), timeout=10,
             what="four turns and grey to equal the unturned grey picture")
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0
