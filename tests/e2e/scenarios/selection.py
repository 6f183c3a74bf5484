"""The selection overlay and region and window selection: the frozen screen dimmed over the whole
virtual screen, the rubber band, the rectangle cut out on release, window picking with and
without the invisible border of Windows 10, and capture requests during a selection."""
import pictures
from harness import only_under_wine, poll
from scenarios.clipboard import CLIPBOARD_BUTTON, copy_from_clipboard
from scenarios.preview import close_preview, controls, preview_title, wait_preview

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

OVERLAY = "Capturing..."
WIDTH, HEIGHT = 1024, 768
PROGRAM_MAIN = ("--class", "OrvantaMain")


def dimmed(c):
    return (c * 127 + 128 * 128) // 255


DIM = bytes(dimmed(c) for c in range(256))


def wait_overlay(desk):
    return desk.driver("wait", "--title", OVERLAY, "--class", "OrvantaOverlay", "--visible",
                       "--timeout", 15000)


def overlay_count(desk):
    return int(desk.driver("count", "--title", OVERLAY)["count"])


def pixel(desk, x, y):
    return tuple(int(v) for v in desk.driver("pixel", x, y)["rgb"].split(","))


def picture_pixel(raw, width, x, y):
    i = 3 * (y * width + x)
    return tuple(raw[i:i + 3])


def crop(raw, rect, width=WIDTH):
    """A rectangle of a screen's raw pixels."""
    x, y, w, h = rect
    return b"".join(raw[3 * ((y + row) * width + x):3 * ((y + row) * width + x + w)]
                    for row in range(h))


def size_label(desk, e2e):
    return dict(controls(desk, e2e))[48]["text"]


def wait_drawn(desk, before, x, y):
    """Waits until the overlay shows the frozen screen's pixel (x, y) dimmed."""
    wanted = tuple(dimmed(c) for c in picture_pixel(before, WIDTH, x, y))
    poll(lambda: pixel(desk, x, y) == wanted, timeout=10, what=f"the dimmed pixel at {x},{y}")


def captured(desk, e2e, name="capture.bmp"):
    """The capture in the open preview, through the clipboard button (which closes the
    preview): its pixels as raw RGB, its size and the BMP file."""
    desk.driver("set-clipboard-text", "no capture yet")
    desk.driver("click", "--title", preview_title(e2e), "--id", CLIPBOARD_BUTTON)
    desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
    path = e2e.artifacts / name
    copy_from_clipboard(desk, path)
    return pictures.raw_rgb(path), pictures.size(path), path


def assert_captured_region(desk, e2e, before_png, region):
    """The capture is the region of the frozen screen, pixel for pixel."""
    pixels, size, _ = captured(desk, e2e)
    assert size == region[2:], size
    assert pixels == pictures.raw_rgb(before_png, region), "capture pixels differ"


def labelled(raw):
    """Whether a crop shows the size label: black background with white text."""
    colours = [raw[i:i + 3] for i in range(0, len(raw), 3)]
    black, white = colours.count(b"\0\0\0"), colours.count(b"\xff\xff\xff")
    return black > len(colours) // 3 and white > 20


def assert_label(raw):
    assert labelled(raw), "no size label"


def picked_bounds(window):
    """Where the capture of a picked window lies, by what the system reports of it (the driver's
    description): the bounds the compositor draws, where it reports them (Wine 10), else the
    window without the invisible border that Windows 10 adds left, right and below (Wine 8)."""
    if window["drawn"] != "none":
        return tuple(map(int, window["drawn"].split(",")))
    left, top, right, bottom = map(int, window["rect"].split(","))
    border = ((right - left) - int(window["client"].split("x")[0])) // 2
    return left + border, top, right - border, bottom - border


def start_on_picture(e2e, desk, maker=pictures.make_test_picture):
    desk.show_image(maker(e2e.artifacts / "screen.bmp", WIDTH, HEIGHT))
    return desk.start()


def frozen_screen(desk, e2e, name="before.png"):
    """The screen as the next grab will see it, once Wine's tray window has settled."""
    return desk.steady_screenshot(e2e.artifacts / name)


def move_band(desk, x, y, corner_at):
    """Moves the dragged corner to (x, y) until the band is drawn there (corner_at(x, y) tells).
    Only every second pointer move redraws, and a move to where the pointer already is makes no
    event, so a move that was not drawn is followed by two moves elsewhere before the next try.
    Moves that reach the program before it has handled the one before make a single one, so
    each waits until it shows, or long enough that it would have."""
    def shown(at_x, at_y):
        try:
            return poll(corner_at(at_x, at_y), timeout=1.5, what="the band")
        except AssertionError:
            return False

    for _ in range(4):
        desk.driver("mouse", "move", x, y)
        if shown(x, y):
            return
        for at in ((x + 9, y + 7), (x + 5, y + 3)):
            desk.driver("mouse", "move", *at)
            shown(*at)
    raise AssertionError(f"the band was not drawn at {x},{y}")


def test_overlay_shows_the_frozen_screen_dimmed_and_only_a_release_ends_it(e2e):
    with e2e.desktop(width=WIDTH, height=HEIGHT) as desk:
        program = start_on_picture(e2e, desk, pictures.make_tone_picture)
        before_png = frozen_screen(desk, e2e)
        before = pictures.raw_rgb(before_png)
        result = desk.driver("time-command", "--title", e2e.texts["#Program_Name"], *PROGRAM_MAIN,
                             "--id", 7, "--until", OVERLAY)
        assert float(result["elapsed_ms"]) >= 300, "the screen is grabbed after the pause"

        overlay = wait_overlay(desk)
        assert overlay["rect"] == f"0,0,{WIDTH},{HEIGHT}"
        assert overlay["client"] == f"{WIDTH}x{HEIGHT}"
        style = int(overlay["style"], 16)
        assert style & 0x80000000 and not style & 0x00C40000, "a popup without caption or frame"
        assert int(overlay["exstyle"], 16) & 0x8, "topmost"
        assert overlay["owner"] == "0x0"
        canvas = desk.driver_lines("controls", "--title", OVERLAY)
        assert len(canvas) == 1 and f"rect=0,0,{WIDTH},{HEIGHT} " in canvas[0], canvas

        # White, black and grey 100 become 191, 64 and 114; every other pixel follows the blend.
        wait_drawn(desk, before, 10, HEIGHT - 10)
        assert pixel(desk, 10, HEIGHT - 10) == (191, 191, 191)
        assert pixel(desk, WIDTH // 4 + 10, HEIGHT - 10) == (64, 64, 64)
        assert pixel(desk, WIDTH // 2 + 10, HEIGHT - 10) == (114, 114, 114)
        shot = desk.screenshot(e2e.artifacts / "overlay.png")
        assert pictures.raw_rgb(shot) == before.translate(DIM), "the overlay is not the dimmed grab"

        # Close requests and keys leave it open: the click that follows them in the queue still
        # lands on the overlay and captures the whole frozen screen, undimmed.
        desk.driver("post", "--title", OVERLAY, "--msg", 0x10)  # WM_CLOSE
        desk.driver("keys", "down:alt", "press:f4", "up:alt", "press:escape")
        desk.driver("mouse", "click", 500, 300)
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == f"{WIDTH} x {HEIGHT}"
        assert overlay_count(desk) == 0
        assert_captured_region(desk, e2e, before_png, (0, 0, WIDTH, HEIGHT))
        assert desk.quit(program) == 0


def test_rubber_band_grows_over_itself_erases_on_shrink_and_release_cuts_the_region(e2e):
    with e2e.desktop(width=WIDTH, height=HEIGHT) as desk:
        program = start_on_picture(e2e, desk)
        before_png = frozen_screen(desk, e2e)
        before = pictures.raw_rgb(before_png)
        desk.command(7)
        wait_overlay(desk)
        wait_drawn(desk, before, 600, 500)

        def original(x, y):
            return picture_pixel(before, WIDTH, x, y)

        def faded(x, y):
            return tuple(dimmed(c) for c in original(x, y))

        def band_corner_at(x, y):
            # The frame's far corner is the last pixel inside the band.
            return lambda: (pixel(desk, x - 1, y - 1) == (0, 0, 0)
                            and pixel(desk, x - 3, y - 3) == original(x - 3, y - 3)
                            and pixel(desk, x + 1, y + 1) != (0, 0, 0))

        desk.driver("mouse", "move", 300, 200)
        desk.driver("mouse", "down")
        move_band(desk, 460, 330, band_corner_at)
        shot = desk.screenshot(e2e.artifacts / "band.png")
        raw = pictures.raw_rgb(shot)
        for x, y in [(300, 200), (459, 200), (300, 329), (459, 329), (380, 200), (300, 260)]:
            assert picture_pixel(raw, WIDTH, x, y) == (0, 0, 0), ("frame", x, y)
        assert pictures.raw_rgb(shot, (301, 201, 158, 128)) == pictures.raw_rgb(
            before_png, (301, 201, 158, 128)), "the band shows the frozen screen undimmed"
        for x, y in [(460, 260), (380, 330), (299, 260), (600, 500)]:
            assert picture_pixel(raw, WIDTH, x, y) == faded(x, y), ("dimmed", x, y)
        # The size label, white on black, sits just above the start point.
        assert_label(pictures.raw_rgb(shot, (300, 188, 40, 12)))

        # Growing draws over the old band: its frame lines are covered by the new cut-out.
        move_band(desk, 520, 360, band_corner_at)
        assert pixel(desk, 459, 260) == original(459, 260)
        assert pixel(desk, 380, 329) == original(380, 329)
        # Shrinking erases it first: the part of the old band outside the new one is dimmed.
        move_band(desk, 400, 300, band_corner_at)
        assert pixel(desk, 480, 340) == faded(480, 340)
        assert pixel(desk, 519, 359) == faded(519, 359)

        # The release point decides, whatever the band showed last.
        desk.driver("mouse", "move", 480, 320)
        desk.driver("mouse", "up")
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == "180 x 120"
        assert overlay_count(desk) == 0
        assert_captured_region(desk, e2e, before_png, (300, 200, 180, 120))
        assert desk.quit(program) == 0


def test_click_takes_the_whole_screen_and_drags_in_any_direction_agree(e2e):
    with e2e.desktop(width=WIDTH, height=HEIGHT) as desk:
        program = start_on_picture(e2e, desk)
        whole = (0, 0, WIDTH, HEIGHT)
        for start, end, region in [
            ((500, 400), (500, 400), whole),  # a click
            ((500, 400), (504, 600), whole),  # 4 pixels wide
            ((300, 200), (700, 196), whole),  # 4 pixels tall
            ((480, 320), (300, 200), (300, 200, 180, 120)),  # up and to the left
            ((300, 320), (480, 200), (300, 200, 180, 120)),  # up and to the right
            ((600, 100), (605, 280), (600, 100, 5, 180)),  # just wide enough
        ]:
            before_png = frozen_screen(desk, e2e)
            desk.command(7)
            wait_overlay(desk)
            desk.driver("mouse", "drag", *start, *end)
            wait_preview(desk, e2e)
            assert size_label(desk, e2e) == f"{region[2]} x {region[3]}", (start, end)
            assert_captured_region(desk, e2e, before_png, region)
        assert desk.quit(program) == 0


def test_release_of_a_button_held_before_the_overlay_opened_is_ignored(e2e):
    with e2e.desktop(width=WIDTH, height=HEIGHT) as desk:
        program = start_on_picture(e2e, desk)
        desk.driver("mouse", "move", 700, 500)
        desk.driver("mouse", "down")
        desk.command(7)
        wait_overlay(desk)
        desk.driver("mouse", "up")
        # Had that release been taken, the overlay would be gone and the drag below would land
        # on the desktop: its rectangle in the preview shows the release was ignored.
        desk.driver("mouse", "drag", 300, 200, 480, 320)
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == "180 x 120"
        assert overlay_count(desk) == 0
        close_preview(desk, e2e)
        assert desk.quit(program) == 0


def test_capture_requests_during_a_selection_are_ignored(e2e):
    with e2e.desktop(width=WIDTH, height=HEIGHT) as desk:
        program = start_on_picture(e2e, desk)
        before_png = frozen_screen(desk, e2e)
        desk.command(7)
        first = wait_overlay(desk)
        # Window, whole screen and region commands, and a left press on the tray icon, all while
        # the overlay is open. Had any been taken, the mode would have changed or the overlay been
        # grabbed into a new one; the drag that follows them in the queue shows neither happened.
        for command in (9, 8, 7):
            desk.command(command)
        desk.driver("post", "--title", e2e.texts["#Program_Name"], *PROGRAM_MAIN,
                    "--msg", 12501, "--lparam", 0x201)
        assert wait_overlay(desk)["hwnd"] == first["hwnd"]
        desk.driver("mouse", "drag", 300, 200, 480, 320)
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == "180 x 120"
        assert overlay_count(desk) == 0
        assert int(desk.driver("count", "--title", preview_title(e2e))["count"]) == 1
        assert_captured_region(desk, e2e, before_png, (300, 200, 180, 120))
        assert desk.quit(program) == 0


def test_tray_left_press_starts_a_region_selection(e2e):
    with e2e.desktop(width=WIDTH, height=HEIGHT) as desk:
        program = start_on_picture(e2e, desk)
        desk.driver("mouse", "click", *desk.tray_icon())
        wait_overlay(desk)
        # The X pointer away from the tray, where the drag starts: see Desktop.put_pointer.
        desk.put_pointer(200, 150)
        desk.driver("mouse", "drag", 200, 150, 380, 250)
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == "180 x 100"
        close_preview(desk, e2e)
        assert desk.quit(program) == 0


def pick_window(e2e, windows_version):
    """Picks a captioned test window whose client area is 180 x 120 and checks what both
    Windows versions agree on: the overlay shows the window undimmed, framed and labelled, and
    the capture holds the window's client area pixel for pixel. Returns the window's rectangle
    and client origin, the screenshot of the overlay, the label and the capture's size."""
    title = "Orvanta test window"
    with e2e.desktop(width=WIDTH, height=HEIGHT, windows_version=windows_version) as desk:
        program = start_on_picture(e2e, desk)
        client_picture = pictures.make_test_picture(e2e.artifacts / "window.bmp", 180, 120)
        desk.show_image(client_picture, 400, 300, title=title, framed=True)
        window = desk.driver("wait", "--title", title, "--visible")
        left, top, right, bottom = map(int, window["rect"].split(","))
        client_x, client_y = map(int, window["client_origin"].split(","))
        assert window["client"] == "180x120"

        before = pictures.raw_rgb(frozen_screen(desk, e2e))
        # The pointer rests on the window before the overlay opens: the first pointer move over
        # the overlay, whenever it comes, picks this window. (Picking the full-screen picture
        # behind it would raise that over the test window.)
        desk.driver("mouse", "move", client_x + 90, client_y + 60)
        desk.keys("down:ctrl", "down:shift", "press:snapshot", "up:shift", "up:ctrl")
        wait_overlay(desk)
        desk.driver("mouse", "move", client_x + 95, client_y + 62)
        # The overlay is hidden while the window is picked; it comes back with the window
        # undimmed on the dimmed screen.
        client = pictures.raw_rgb(client_picture)
        inside = picture_pixel(client, 180, 100, 100)
        outside = tuple(dimmed(c) for c in picture_pixel(before, WIDTH, left - 20, client_y + 60))
        poll(lambda: pixel(desk, client_x + 100, client_y + 100) == inside
             and pixel(desk, left - 20, client_y + 60) == outside, timeout=15,
             what="the picked window highlighted")
        shot = pictures.raw_rgb(desk.screenshot(e2e.artifacts / "picked.png"))

        desk.driver("mouse", "click", client_x + 90, client_y + 60)
        wait_preview(desk, e2e)
        label = size_label(desk, e2e)
        pixels, size, path = captured(desk, e2e)
        assert label == f"{size[0]} x {size[1]}"
        # Whatever the border rule took off, the capture starts at the window's top edge.
        capture_left = left + (right - left - size[0]) // 2
        assert pictures.raw_rgb(path, (client_x - capture_left, client_y - top, 180, 120)) == client
        assert desk.quit(program) == 0
    return {"rect": (left, top, right, bottom), "client": (client_x, client_y), "shot": shot,
            "size": size}


@only_under_wine(8, "Wine 10 reports the compositor's bounds, so this border rule never runs there")
def test_window_pick_leaves_out_the_invisible_border_on_windows_10(e2e):
    found = pick_window(e2e, None)  # the prepared prefix reports Windows 10
    left, top, right, bottom = found["rect"]
    border = ((right - left) - 180) // 2
    assert border > 0
    # Narrower by the border on the left and right, shorter by it at the bottom, never the top.
    assert found["size"] == ((right - left) - 2 * border, (bottom - top) - border)
    shot, client_y = found["shot"], found["client"][1]
    # The frame runs down the client area's first column; the border strip left of it is dimmed.
    assert picture_pixel(shot, WIDTH, left + border, client_y + 60) == (0, 0, 0), "frame"
    assert picture_pixel(shot, WIDTH, left + border - 1, client_y + 60) != (0, 0, 0)
    # The label, white on black, sits inside the frame's top-left corner, over the caption.
    assert_label(crop(shot, (left + border + 1, top + 1, 40, 12)))


def test_window_pick_takes_the_whole_window_rectangle_on_windows_7(e2e):
    found = pick_window(e2e, "win7")
    left, top, right, bottom = found["rect"]
    assert found["size"] == (right - left, bottom - top)
    shot = found["shot"]
    assert picture_pixel(shot, WIDTH, left, found["client"][1] + 60) == (0, 0, 0), "frame"
    assert_label(crop(shot, (left + 1, top + 1, 40, 12)))
