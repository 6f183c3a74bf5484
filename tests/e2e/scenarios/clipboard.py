"""The capture on the clipboard, as a device-independent bitmap."""
import pictures
from harness import poll
from scenarios.preview import preview_title, wait_preview

CLIPBOARD_BUTTON = 39


def test_clipboard_holds_the_capture_as_a_24_bit_bottom_up_bitmap(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        picture = pictures.make_test_picture(e2e.artifacts / "screen.bmp", 640, 480)
        desk.show_image(picture)
        program = desk.start()
        desk.driver("set-clipboard-text", "not a picture")
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        desk.command(8)
        wait_preview(desk, e2e)
        desk.driver("click", "--title", preview_title(e2e), "--id", CLIPBOARD_BUTTON)
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)

        copied = e2e.artifacts / "clipboard.bmp"
        poll(lambda: desk.driver_raw("clipboard-dib", copied).returncode == 0, timeout=10,
             what="a bitmap on the clipboard")
        header = desk.driver("clipboard-dib", copied)
        row = (640 * 3 + 3) // 4 * 4
        assert header == {"size": str(40 + row * 480), "header_size": "40", "width": "640",
                          "height": "480", "planes": "1", "bits": "24", "compression": "0",
                          "image_size": str(row * 480)}
        assert pictures.identical(copied, before)
        # The text that was there before is gone: the clipboard was emptied, not added to.
        assert desk.driver("clipboard-text") == {"none": "1"}
        assert desk.quit(program) == 0
