"""Several monitors and their scales: one monitor left of the primary one and reaching higher,
so that the virtual screen starts at negative coordinates. The whole-screen capture, the overlay
and region captures hold exactly the monitors' pixels; windows are picked as drawn, a maximised
one without anything from beyond its monitor; the preview opens centred on the primary monitor.
The program declares itself aware of each monitor's resolution, works in the screen's own pixels
at any scale, lays its windows out at the scale of the monitor they open on, and again when they
are moved to a monitor of another scale. A monitor the system composes in HDR is captured as it
shows."""
import re
import sys
from pathlib import Path

import pictures
from harness import only_under_wine, poll
from scenarios.about import BASE_CONTROLS
from scenarios.about import controls as about_controls
from scenarios.preview import controls, preview_title, wait_preview
from scenarios.selection import (DIM, assert_captured_region, captured, frozen_screen,
                                 labelled, picked_bounds, size_label, wait_overlay)

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / "tools"))
import hdr_curve  # noqa: E402

# (width, height, x, y) on the X screen, the primary monitor first. Windows puts the primary
# one at 0,0, so the left one lies at -640,-120 .. 0,360 and the X screen's corner at -640,-120.
PRIMARY = (800, 600, 640, 120)
LEFT = (640, 480, 0, 0)
ORIGIN = (-640, -120)
SCREEN = (1440, 720)


def on_x(x, y):
    """The X screen position of a Windows screen position."""
    return x - ORIGIN[0], y - ORIGIN[1]


def rect_of(text):
    return tuple(int(v) for v in text.split(","))


def start_on_picture(e2e, desk):
    desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", *SCREEN), *ORIGIN)
    return desk.start()


def test_whole_screen_overlay_and_regions_hold_exactly_the_monitors_pixels(e2e):
    with e2e.desktop(monitors=[PRIMARY, LEFT]) as desk:
        assert desk.driver("metrics")["virtual"] == "-640,-120,1440,720"
        monitors = [dict(field.split("=") for field in line.split())
                    for line in desk.driver_lines("monitors")]
        assert sorted((m["monitor"], m["primary"]) for m in monitors) == [
            ("-640,-120,0,360", "0"), ("0,0,800,600", "1")]
        program = start_on_picture(e2e, desk)

        # The whole screen: every monitor, and the parts of the virtual screen beside them.
        before_png = frozen_screen(desk, e2e)
        desk.command(8)
        window = wait_preview(desk, e2e)
        # The preview opens centred on the primary monitor's work area.
        work = rect_of(next(m["work"] for m in monitors if m["primary"] == "1"))
        left, top, right, bottom = rect_of(window["rect"])
        assert left == work[0] + (work[2] - work[0] - (right - left)) // 2, window["rect"]
        assert top == work[1] + (work[3] - work[1] - (bottom - top)) // 2, window["rect"]
        assert size_label(desk, e2e) == "1440 x 720"
        assert_captured_region(desk, e2e, before_png, (0, 0, *SCREEN))

        # The overlay covers the virtual screen from its negative corner, the grab dimmed. (Wine 10
        # shows a window that covers a whole monitor on that monitor alone.)
        before_png = frozen_screen(desk, e2e)
        desk.command(7)
        overlay = wait_overlay(desk)
        assert (overlay["rect"], overlay["client"]) == ("-640,-120,800,600", "1440x720")
        dimmed = pictures.raw_rgb(before_png).translate(DIM)
        if e2e.wine == 8:
            poll(lambda: pictures.raw_rgb(desk.screenshot(e2e.artifacts / "overlay.png")) ==
                 dimmed, timeout=10, what="the overlay showing the whole grab dimmed")

        # A region on the left monitor, dragged in its negative coordinates.
        desk.driver("mouse", "drag", -600, -100, -380, 60)
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == "220 x 160"
        assert_captured_region(desk, e2e, before_png, (*on_x(-600, -100), 220, 160))

        # A region across both monitors.
        before_png = frozen_screen(desk, e2e)
        desk.command(7)
        wait_overlay(desk)
        desk.driver("mouse", "drag", -200, 100, 300, 300)
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == "500 x 200"
        assert_captured_region(desk, e2e, before_png, (*on_x(-200, 100), 500, 200))
        assert desk.quit(program) == 0


def pick(desk, e2e, window, outside=None, label_at=None, origin=ORIGIN, width=SCREEN[0]):
    """Picks a window with the pointer resting on its client area, as the user does, once the
    overlay shows it undimmed and the point outside (beside the window) dimmed, or else once it
    shows the size label at label_at, the capture's corner; returns the capture's pixels, size
    and file. origin and width: the X screen's corner in Windows coordinates and its width."""
    client_x, client_y = rect_of(window["client_origin"])
    before = pictures.raw_rgb(frozen_screen(desk, e2e))

    def shown(x, y, dim=False):
        at = 3 * ((y - origin[1]) * width + x - origin[0])
        wanted = before[at:at + 3].translate(DIM) if dim else before[at:at + 3]
        return bytes(int(v) for v in desk.driver("pixel", x, y)["rgb"].split(",")) == wanted

    # Before the overlay opens under it, the X pointer too: see Desktop.put_pointer.
    desk.put_pointer(client_x + 60 - origin[0], client_y + 40 - origin[1])
    desk.driver("mouse", "move", client_x + 60, client_y + 40)
    desk.keys("down:ctrl", "down:shift", "press:snapshot", "up:shift", "up:ctrl")
    wait_overlay(desk)
    desk.driver("mouse", "move", client_x + 65, client_y + 42)
    # While the window is picked the overlay is hidden, and the screen shows the window undimmed
    # as well: the click must wait for the overlay to come back with the highlight.
    if outside:
        poll(lambda: shown(client_x + 30, client_y + 30) and shown(*outside, dim=True),
             timeout=15, what="the picked window highlighted")
    else:
        corner = (label_at[0] + 1 - origin[0], label_at[1] + 1 - origin[1], 40, 12)
        poll(lambda: labelled(pictures.raw_rgb(desk.screenshot(e2e.artifacts / "label.png",
                                                               corner))),
             timeout=15, what="the picked window labelled")
    desk.driver("mouse", "click", client_x + 60, client_y + 40)
    wait_preview(desk, e2e)
    return captured(desk, e2e, "capture-" + window["title"].replace(" ", "-").lower() + ".bmp")


@only_under_wine(8, "Wine 10 shows an overlay over two monitors on one: no highlight to wait for")
def test_windows_are_picked_as_drawn_and_a_maximised_one_stays_on_its_monitor(e2e):
    with e2e.desktop(monitors=[PRIMARY, LEFT]) as desk:
        program = start_on_picture(e2e, desk)

        # A window on the left monitor: its client area, where the border rule puts it.
        client_picture = pictures.make_test_picture(e2e.artifacts / "left-picture.bmp", 180, 120)
        desk.show_image(client_picture, -560, 40, title="On the left", framed=True)
        window = desk.driver("wait", "--title", "On the left", "--visible")
        left, top, right, bottom = rect_of(window["rect"])
        client_x, client_y = rect_of(window["client_origin"])
        assert right <= 0, "the window lies on the left monitor"
        pixels, size, path = pick(desk, e2e, window, (left - 20, client_y + 30))
        border = ((right - left) - 180) // 2
        assert size == ((right - left) - 2 * border, (bottom - top) - border)
        assert pictures.raw_rgb(path, (client_x - left - border, client_y - top, 180, 120)) == \
            pictures.raw_rgb(client_picture)

        # A window maximised on the primary monitor reaches past it on every side, onto the left
        # monitor and above it; the capture is the monitor, no row or column more.
        full = pictures.make_test_picture(e2e.artifacts / "maximised-picture.bmp", 800, 600)
        desk.show_image(full, 100, 100, title="Maximised", framed=True, maximized=True)
        window = poll(lambda: (w := desk.driver("wait", "--title", "Maximised", "--visible"))
                      ["rect"].startswith("-") and w, timeout=10, what="the window maximised")
        left, top, right, bottom = rect_of(window["rect"])
        assert left < 0 and top < 0 and right > 800 and bottom > 600, window["rect"]
        client_x, client_y = rect_of(window["client_origin"])
        client_w, client_h = (int(v) for v in window["client"].split("x"))
        pixels, size, path = pick(desk, e2e, window, (-300, 100))
        assert size == (800, 600)
        assert pictures.raw_rgb(path, (client_x, client_y, client_w, client_h)) == \
            pictures.raw_rgb(full, (0, 0, client_w, client_h))
        assert desk.quit(program) == 0


RELAYED = ("user32.SetProcessDpiAwarenessContext", "shcore.SetProcessDpiAwareness",
           "user32.SetProcessDPIAware")


def awareness_calls(log, pid):
    """The awareness calls of process pid in a relay trace, in order: (function, arguments,
    result)."""
    calls, pending = [], {}
    pattern = re.compile(r"^([0-9a-f]+):[0-9a-f]+:(Call|Ret)\s+([\w.]+)\((.*?)\)"
                         r"(?: retval=([0-9a-f]+))?")
    for line in log.read_text(errors="replace").splitlines():
        match = pattern.match(line)
        if not match or int(match[1], 16) != pid or match[3] not in RELAYED:
            continue
        if match[2] == "Call":
            pending[match[3]] = match[4]
        else:
            calls.append((match[3], pending.pop(match[3], ""), int(match[5], 16)))
    return calls


def suggested_rect(window, client):
    """Where the system would put a window, 30 pixels right of and below where it is, with a
    client area of the given size inside the same frame."""
    left, top, right, bottom = rect_of(window["rect"])
    width, height = (int(v) for v in window["client"].split("x"))
    frame_w, frame_h = (right - left) - width, (bottom - top) - height
    return (left + 30, top + 30, left + 30 + frame_w + client[0], top + 30 + frame_h + client[1])


def test_the_program_is_per_monitor_aware_and_its_windows_follow_a_new_scale(e2e):
    # Programs start unaware here, as on Windows: only the program's own declaration makes it
    # aware, and the trace shows which call did it.
    with e2e.desktop(width=1024, height=768, dpi=144, start_unaware=True) as desk:
        desk.reg_add(r"HKCU\Software\Wine\Debug", "RelayInclude", "REG_SZ", ";".join(RELAYED))
        program = desk.start(wine_debug="-all,+pid,+relay")
        main = desk.main_window()
        # The best call first, per-monitor awareness v2, and nothing else once it is made (no Wine
        # tells another process which version a window has). Wine 8 does not know it and refuses
        # it, so the next one, shcore's per-monitor awareness, makes it there.
        best = ("user32.SetProcessDpiAwarenessContext", "fffffffffffffffc")
        assert awareness_calls(program.log, program.pid()) == (
            [(*best, 1)] if e2e.wine == 10 else [(*best, 0),
                                                 ("shcore.SetProcessDpiAwareness", "00000002", 0)])
        assert desk.driver("awareness", "--hwnd", main["hwnd"])["awareness"] == "2"
        # At one resolution everywhere the layout is as it always was.
        assert main["client"] == "450x300"
        desk.command(8)
        window = wait_preview(desk, e2e)
        assert window["client"] == "592x330"
        assert dict(controls(desk, e2e))[50]["rect"] == "15,45,270,270"

        # Moved to a monitor at 100 %: the suggested rectangle, and everything inside at 1.0.
        suggested = suggested_rect(window, (395, 220))
        desk.driver("dpi-changed", "--hwnd", window["hwnd"], "--dpi", 96,
                    "--rect", ",".join(map(str, suggested)))
        window = wait_preview(desk, e2e)
        assert (rect_of(window["rect"]), window["client"]) == (suggested, "395x220")
        by_id = dict(controls(desk, e2e))
        assert [by_id[i]["rect"] for i in (48, 50, 38, 42, 46)] == [
            "10,10,180,20", "10,30,180,180", "201,30,25,25", "201,185,25,25", "235,185,150,25"]
        # The canvas picture is drawn anew at its new size: its outline in the last pixel.
        ox, oy = rect_of(window["client_origin"])
        assert desk.driver("pixel", ox + 10 + 179, oy + 30 + 179)["rgb"] == "196,196,196"
        desk.driver("keys", "press:escape")

        # The about window likewise, moved to a monitor at 125 %.
        desk.command(13)
        about = desk.driver("wait", "--class", "OrvantaAbout", "--visible", "--timeout", 15000)
        assert about["client"] == "495x336"
        suggested = suggested_rect(about, (412, 280))
        desk.driver("dpi-changed", "--hwnd", about["hwnd"], "--dpi", 120,
                    "--rect", ",".join(map(str, suggested)))
        about = desk.driver("wait", "--hwnd", about["hwnd"])
        assert (rect_of(about["rect"]), about["client"]) == (suggested, "412x280")
        assert [rect for _, _, rect, _ in about_controls(desk, about["hwnd"])] == [
            tuple(int(v * 1.25) for v in (x, y, w, h)) for _, _, x, y, w, h, _ in BASE_CONTROLS]
        assert desk.quit(program) == 0


@only_under_wine(10, "Wine 8 scales no window: every program sees the screen's own pixels there")
def test_at_150_percent_captures_hold_the_screens_own_pixels(e2e):
    with e2e.desktop(width=1024, height=768, dpi=144) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", 1024, 768))
        program = desk.start()
        client_picture = pictures.make_test_picture(e2e.artifacts / "window.bmp", 180, 120)
        desk.show_image(client_picture, 400, 300, title="A window", framed=True)
        window = desk.driver("wait", "--title", "A window", "--visible")

        before_png = frozen_screen(desk, e2e)
        desk.command(8)
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == "1024 x 768"
        assert_captured_region(desk, e2e, before_png, (0, 0, 1024, 768))

        before_png = frozen_screen(desk, e2e)
        desk.command(7)
        wait_overlay(desk)
        desk.driver("mouse", "drag", 100, 100, 400, 300)
        wait_preview(desk, e2e)
        assert size_label(desk, e2e) == "300 x 200"
        assert_captured_region(desk, e2e, before_png, (100, 100, 300, 200))

        left, top, right, bottom = picked_bounds(window)
        client_x, client_y = rect_of(window["client_origin"])
        _, size, path = pick(desk, e2e, window, (left - 20, top + 30), origin=(0, 0), width=1024)
        assert size == (right - left, bottom - top)
        assert pictures.raw_rgb(path, (client_x - left, client_y - top, 180, 120)) == \
            pictures.raw_rgb(client_picture)
        assert desk.quit(program) == 0


@only_under_wine(10, "Wine 8 gives every monitor the same resolution")
def test_monitors_of_different_scales(e2e):
    # The primary monitor at 150 %, the left one at 100 %, the system's scale 100 %.
    with e2e.desktop(monitors=[PRIMARY, LEFT], monitor_dpis=[144, 96]) as desk:
        monitors = [dict(field.split("=") for field in line.split())
                    for line in desk.driver_lines("monitors")]
        assert {m["primary"]: m["dpi"] for m in monitors} == {"1": "144", "0": "96"}
        program = start_on_picture(e2e, desk)

        # The preview and the about window open on the primary monitor, laid out at its scale.
        # (Wine 10 draws their frames at the system's scale, so their client areas are larger
        # than Windows makes them.)
        desk.command(8)
        wait_preview(desk, e2e)
        assert dict(controls(desk, e2e))[50]["rect"] == "15,45,270,270"
        desk.driver("keys", "press:escape")
        desk.command(13)
        about = desk.driver("wait", "--class", "OrvantaAbout", "--visible", "--timeout", 15000)
        assert [rect for _, _, rect, _ in about_controls(desk, about["hwnd"])] == [
            tuple(int(v * 1.5) for v in (x, y, w, h)) for _, _, x, y, w, h, _ in BASE_CONTROLS]
        desk.driver("click", "--hwnd", about["hwnd"], "--id", 47)
        desk.driver("wait-gone", "--class", "OrvantaAbout", "--timeout", 5000)

        # A region on each monitor holds exactly its pixels.
        for start, end in (((-600, -100), (-380, 60)), ((100, 100), (400, 300))):
            before_png = frozen_screen(desk, e2e)
            desk.command(7)
            wait_overlay(desk)
            desk.driver("mouse", "drag", *start, *end)
            wait_preview(desk, e2e)
            width, height = end[0] - start[0], end[1] - start[1]
            assert size_label(desk, e2e) == f"{width} x {height}"
            assert_captured_region(desk, e2e, before_png, (*on_x(*start), width, height))
        assert desk.quit(program) == 0


@only_under_wine(10, "Wine 8 has no compositor that reports a window's bounds")
def test_a_maximised_window_is_captured_within_its_monitor_by_the_compositors_bounds(e2e):
    # The second monitor right of the primary one, so that the virtual screen starts at the
    # primary's corner, where Wine 10 shows the overlay.
    screen = (1440, 600)
    with e2e.desktop(monitors=[(800, 600, 0, 0), (640, 480, 800, 60)]) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", *screen))
        program = desk.start()
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "maximised.bmp", 800, 600),
                        100, 100, title="Maximised", framed=True, maximized=True)
        window = poll(lambda: (w := desk.driver("wait", "--title", "Maximised", "--visible"))
                      ["rect"].startswith("-") and w, timeout=10, what="the window maximised")
        # The compositor's bounds reach past the monitor, onto the right one too.
        assert window["drawn"] != "none"
        left, top, right, bottom = picked_bounds(window)
        assert left < 0 and top < 0 and right > 800 and bottom > 600, window
        pixels, size, _ = pick(desk, e2e, window, label_at=(0, 0), origin=(0, 0), width=screen[0])
        assert size == (800, 600)
        # The monitor as it was shown, below the window's caption and the tray window, whose
        # looks follow which window is active.
        tray_bottom = rect_of(desk.tray_window()["rect"])[3]
        assert pixels[3 * 800 * tray_bottom:] == pictures.raw_rgb(
            e2e.artifacts / "before.png", (0, tray_bottom, 800, 600 - tray_bottom))
        assert desk.quit(program) == 0



# The test build beside the driver, orvanta-hdr-standin.exe (hdr_standin_win.cpp), composes every
# monitor in scRGB at an SDR white of 250 nits, with an orange patch (x, y, width, height from its
# corner) going from 1 to 10 times SDR white, left to right.
HDR_WHITE, HDR_PATCH, HDR_ORANGE = 3.125, (200, 150, 120, 24), (1.0, 0.35, 0.05)


def assert_as_the_screen_shows(pixels, size, before_png, rect):
    """The capture of rect (x, y, width, height) is the screen there within 1 a channel, but for
    the patch, which goes towards white as the documented curve does."""
    x0, y0, w, h = rect
    assert size == (w, h), size
    screen = bytearray(pictures.raw_rgb(before_png, rect))
    px, py, pw, ph = HDR_PATCH
    for y in range(max(py - y0, 0), min(py + ph - y0, h)):
        for x in range(max(px - x0, 0), min(px + pw - x0, w)):
            times = 1 + 9 * (x0 + x - px) / (pw - 1)
            screen[3 * (y * w + x):3 * (y * w + x + 1)] = hdr_curve.to_srgb8(
                *(c * HDR_WHITE * times for c in HDR_ORANGE), HDR_WHITE)
    far = [i // 3 for i, (a, b) in enumerate(zip(pixels, screen)) if abs(a - b) > 1]
    assert not far, f"{len(far)} channels off, the first at {x0 + far[0] % w},{y0 + far[0] // w}"


def test_captures_of_an_hdr_monitor_look_as_the_screen_does(e2e):
    with e2e.desktop(width=1024, height=768) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", 1024, 768))
        program = desk.start(desk.install(
            program=e2e.config.driver.with_name("orvanta-hdr-standin.exe")))
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "window.bmp", 300, 200),
                        150, 100, title="A window", framed=True)
        window = desk.driver("wait", "--title", "A window", "--visible")

        before_png = frozen_screen(desk, e2e)
        desk.command(8)
        wait_preview(desk, e2e)
        assert_as_the_screen_shows(*captured(desk, e2e)[:2], before_png, (0, 0, 1024, 768))

        before_png = frozen_screen(desk, e2e)
        desk.command(7)
        wait_overlay(desk)
        desk.driver("mouse", "drag", 180, 130, 420, 290)
        wait_preview(desk, e2e)
        assert_as_the_screen_shows(*captured(desk, e2e)[:2], before_png, (180, 130, 240, 160))

        # The window picked, raised and grabbed again.
        left, top, right, bottom = picked_bounds(window)
        pixels, size, _ = pick(desk, e2e, window, (left - 20, top + 30), origin=(0, 0), width=1024)
        assert_as_the_screen_shows(pixels, size, e2e.artifacts / "before.png",
                                   (left, top, right - left, bottom - top))
        assert desk.quit(program) == 0
