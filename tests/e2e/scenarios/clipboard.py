"""The capture on the clipboard: a 24-bit device-independent bitmap, a 32-bit one and a PNG."""
import pictures
from harness import poll, windows_path
from scenarios.preview import preview_title, wait_preview

CLIPBOARD_BUTTON = 39
ROTATE_BUTTON = 34
GREY_BUTTON = 36


def copy_from_clipboard(desk, path):
    """The clipboard's CF_DIB as a BMP file, once there is one, and its header fields."""
    poll(lambda: desk.driver_raw("clipboard-dib", path).returncode == 0, timeout=10,
         what="a bitmap on the clipboard")
    return desk.driver("clipboard-dib", path)


def dib_header(width, height):
    row = (width * 3 + 3) // 4 * 4
    return {"size": str(40 + row * height), "header_size": "40", "width": str(width),
            "height": str(height), "planes": "1", "bits": "24", "compression": "0",
            "image_size": str(row * height)}


def dibv5_header(width, height):
    return {"size": str(124 + 4 * width * height), "header_size": "124", "width": str(width),
            "height": str(height), "planes": "1", "bits": "32", "compression": "3",
            "image_size": str(4 * width * height)}


def other_forms(desk, e2e, name, width, height):
    """The clipboard's 32-bit bitmap (its header checked) and PNG, written to files."""
    v5, png = e2e.artifacts / f"{name}-v5.bmp", e2e.artifacts / f"{name}.png"
    assert desk.driver("clipboard-dib", windows_path(v5), "--format", "dibv5") == \
        dibv5_header(width, height)
    desk.driver("clipboard-png", windows_path(png))
    return v5, png


def turned_and_grey(pixels, width, height):
    """A quarter turn to the left (the new top row is the old right column, read downwards),
    then every pixel grey at (R + G + B) div 3."""
    out = []
    for y in range(width):
        for x in range(height):
            p = pixels[x * width + (width - 1 - y)]
            g = ((p >> 16) + (p >> 8 & 255) + (p & 255)) // 3
            out.append(g << 16 | g << 8 | g)
    return out


def test_clipboard_holds_the_capture_in_three_forms_also_after_the_program_quit(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        picture = pictures.make_test_picture(e2e.artifacts / "screen.bmp", 640, 480)
        desk.show_image(picture)  # also the Wine program that keeps the clipboard after ours quit
        program = desk.start()
        desk.driver("set-clipboard-text", "not a picture")
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        desk.command(8)
        wait_preview(desk, e2e)
        desk.driver("click", "--title", preview_title(e2e), "--id", CLIPBOARD_BUTTON)
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)

        copied = e2e.artifacts / "clipboard.bmp"
        assert copy_from_clipboard(desk, copied) == dib_header(640, 480)
        assert pictures.identical(copied, before)
        # The 32-bit bitmap and the PNG, made when asked for.
        for form in other_forms(desk, e2e, "clipboard", 640, 480):
            assert pictures.identical(form, before), form.name
        # The text that was there before is gone: the clipboard was emptied, not added to.
        assert desk.driver("clipboard-text") == {"none": "1"}

        # What the preview's buttons did to the capture is what goes on the clipboard.
        desk.driver("set-clipboard-text", "not a picture")
        before = desk.steady_screenshot(e2e.artifacts / "before-turned.png")
        desk.command(8)
        wait_preview(desk, e2e)
        for button in (ROTATE_BUTTON, GREY_BUTTON, CLIPBOARD_BUTTON):
            desk.driver("click", "--title", preview_title(e2e), "--id", button)
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        turned = e2e.artifacts / "clipboard-turned.bmp"
        assert copy_from_clipboard(desk, turned) == dib_header(480, 640)
        screen, _ = pictures.rgb_pixels(before)
        expected = (turned_and_grey(screen, 640, 480), (480, 640))
        assert pictures.rgb_pixels(turned) == expected

        # Asked for only once the program has quit, the other forms are there all the same.
        assert desk.quit(program) == 0
        for form in other_forms(desk, e2e, "after-quit", 480, 640):
            assert pictures.rgb_pixels(form) == expected, form.name


def test_a_clipboard_another_program_holds_for_a_moment_still_gets_the_capture(e2e):
    # Clipboard history, remote desktops and password managers open the clipboard for a moment
    # all the time: the copy waits briefly for it rather than giving up.
    with e2e.desktop(width=320, height=240) as desk:
        program = desk.start()
        desk.driver("set-clipboard-text", "not a picture")
        desk.command(8)
        wait_preview(desk, e2e)
        desk.driver("click-holding-clipboard", "--title", preview_title(e2e),
                    "--id", CLIPBOARD_BUTTON, "--hold", 150)
        assert copy_from_clipboard(desk, e2e.artifacts / "clipboard.bmp") == dib_header(320, 240)
        assert desk.driver("clipboard-text") == {"none": "1"}
        assert desk.quit(program) == 0
