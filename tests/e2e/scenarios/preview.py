"""Whole-screen capture and the preview window: picture, label, buttons, policy, closing, the
keyboard and what screen readers are told."""
import re
import shutil
import subprocess

import pictures
from harness import poll, windows_path

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

CANVAS = (10, 30, 180, 180)  # control 50 in the window's client area, at 96 dots per inch


def preview_title(e2e):
    return e2e.texts["#TXT00046"]


def wait_preview(desk, e2e):
    return desk.driver("wait", "--title", preview_title(e2e), "--visible", "--timeout", 15000)


CANCEL_BUTTON = 46


def close_preview(desk, e2e):
    """Cancel pressed, and the preview gone: unlike Escape, it does not depend on which window
    has the keyboard, which Wine may give the preview only some time after it opened."""
    desk.driver("click", "--title", preview_title(e2e), "--id", CANCEL_BUTTON)
    desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)


def controls(desk, e2e):
    """The preview's controls in creation order: [(id, fields)]."""
    rows = []
    for line in desk.driver_lines("controls", "--title", preview_title(e2e)):
        control_id, _, rest = line.partition(" ")
        fields = dict(part.split("=", 1) for part in rest.split(" text=")[0].split())
        fields["text"] = rest.split(" text=", 1)[1] if " text=" in rest else ""
        rows.append((int(control_id), fields))
    return rows


def focused(desk, e2e):
    """The id of the preview's control that has the keyboard focus (0: none)."""
    return int(desk.driver("focus", "--title", preview_title(e2e))["id"])


def accessible_names(desk, e2e):
    """id -> (state bits, name) of the preview's controls as Active Accessibility reports them."""
    rows = {}
    for line in desk.driver_lines("accessible", "--title", preview_title(e2e)):
        control_id, rest = line.split(" ", 1)
        fields, name = rest.split(" name=", 1)
        rows[int(control_id)] = (int(dict(f.split("=") for f in fields.split())["state"], 16), name)
    return rows


def tooltips(desk, e2e):
    """id -> text of the preview's tooltips."""
    return {int(line.split(" ", 1)[0]): line.split(" text=", 1)[1]
            for line in desk.driver_lines("tooltips", "--title", preview_title(e2e))}


def picture_rect(width, height, canvas=180):
    """Where the program should draw a width x height capture on the canvas (independent of its
    code: the picture fills the canvas along its longer side, centred across the other)."""
    if width > height:
        h = height * canvas // width
        return 0, (canvas - h) // 2, canvas, h
    w = width * canvas // height
    return (canvas - w) // 2, 0, w, canvas


def test_whole_screen_capture_shows_the_screen_scaled_with_its_size(e2e):
    with e2e.desktop(width=1920, height=1080) as desk:
        picture = pictures.make_test_picture(e2e.artifacts / "screen.bmp", 1920, 1080)
        desk.show_image(picture)
        program = desk.start()
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        desk.command(8)
        window = wait_preview(desk, e2e)
        assert window["client"] == "395x220"
        assert int(window["exstyle"], 16) & 0x8, "the preview is topmost"
        assert not int(window["style"], 16) & 0x80000, "no system menu, so no close box"

        rows = controls(desk, e2e)
        assert [r[0] for r in rows] == [48, 50, 38, 37, 34, 36, 35, 42, 49, 40, 41, 39, 45, 44, 46]
        by_id = dict(rows)
        assert by_id[48]["text"] == "1920 x 1080"
        assert by_id[50]["rect"] == "10,30,180,180"
        assert by_id[46]["text"] == e2e.texts["#GAD00016"]
        assert by_id[49]["text"] == e2e.texts["#GAD00010"]
        assert all(fields["enabled"] == "1" for _, fields in rows)

        # The canvas against an independent scaling of the screen as it was.
        ox, oy = map(int, window["client_origin"].split(","))
        shot = desk.screenshot(e2e.artifacts / "after.png")
        x, y, w, h = picture_rect(1920, 1080)
        inner = (ox + CANVAS[0] + x + 1, oy + CANVAS[1] + y + 1, w - 2, h - 2)
        drawn = pictures.crop(shot, e2e.artifacts / "drawn.png", *inner)
        expected = e2e.artifacts / "expected.png"
        subprocess.run(["convert", str(before), "-filter", "box", "-resize", f"{w}x{h}!",
                        "-crop", f"{w - 2}x{h - 2}+1+1", "+repage", str(expected)], check=True)
        assert pictures.mean_error(drawn, expected) < 0.01
        # The outline and the background around the picture.
        assert pictures.pixel(shot, ox + CANVAS[0], oy + CANVAS[1]) == (196, 196, 196)
        assert pictures.pixel(shot, ox + CANVAS[0] + 179, oy + CANVAS[1] + 179) == (196, 196, 196)
        metrics = desk.driver("metrics")
        window_colour = int(metrics["syscolor_window"], 16)
        expected_bg = int(metrics["syscolor_btnface"], 16) if window_colour in (0, 0xFFFFFF) else window_colour
        bg = pictures.pixel(shot, ox + CANVAS[0] + 90, oy + CANVAS[1] + 5)
        assert bg == (expected_bg & 0xFF, expected_bg >> 8 & 0xFF, expected_bg >> 16 & 0xFF)

        # The README shows this window; the test keeps the picture true.
        left, top, right, bottom = map(int, window["rect"].split(","))
        pictures.save_for_docs(shot, e2e.config.doc_images / "preview.png",
                               (left, top, right - left, bottom - top))

        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        assert desk.quit(program) == 0


def test_second_capture_replaces_the_preview_and_cancel_closes_it(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        program = desk.start()
        desk.command(8)
        first = wait_preview(desk, e2e)
        desk.command(8)
        poll(lambda: desk.driver("wait", "--title", preview_title(e2e), "--visible")["hwnd"]
             != first["hwnd"], timeout=10, what="a new preview window")
        assert desk.driver("count", "--title", preview_title(e2e))["count"] == "1"
        assert dict(controls(desk, e2e))[48]["text"] == "800 x 600"

        desk.driver("click", "--title", preview_title(e2e), "--id", 46)
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        assert desk.quit(program) == 0


def test_close_requests_leave_the_preview_open_until_escape(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        folder = desk.install()
        program = desk.start(folder)
        desk.command(8)
        window = wait_preview(desk, e2e)
        desk.driver("set-foreground", "--title", preview_title(e2e))
        desk.driver("keys", "down:alt", "press:f4", "up:alt")
        # The toggle saves the preferences at once; its click comes after Alt+F4 in the same
        # input queue, so once the file changed the close request has been handled.
        ox, oy = map(int, window["client_origin"].split(","))
        desk.driver("mouse", "click", ox + 201 + 12, oy + 30 + 12)
        poll(lambda: b"FitPaperOrientation = 1" in (folder / "Orvanta.ini").read_bytes()
             if (folder / "Orvanta.ini").exists() else False, timeout=10,
             what="the toggle to be saved")
        assert desk.driver("count", "--title", preview_title(e2e), "--visible")["count"] == "1"
        desk.driver("post", "--title", preview_title(e2e), "--msg", 0x10)  # WM_CLOSE
        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        assert desk.quit(program) == 0


def test_fit_toggle_follows_the_preferences_and_saves_at_once(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        folder = desk.install()
        prefs = folder / "Orvanta.ini"
        prefs.write_bytes(b"FitPaperOrientation = 1\r\n")
        program = desk.start(folder)
        desk.command(8)
        wait_preview(desk, e2e)
        assert dict(controls(desk, e2e))[38]["checked"] == "1"
        desk.driver("click", "--title", preview_title(e2e), "--id", 38)
        poll(lambda: b"FitPaperOrientation = 0\r\n" in prefs.read_bytes(), timeout=10,
             what="FitPaperOrientation = 0 in the preferences")
        assert dict(controls(desk, e2e))[38]["checked"] == "0"
        desk.driver("click", "--title", preview_title(e2e), "--id", 38)
        poll(lambda: b"FitPaperOrientation = 1\r\n" in prefs.read_bytes(), timeout=10,
             what="FitPaperOrientation = 1 in the preferences")
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0


def test_output_policy_disables_exactly_its_buttons_and_is_read_at_every_opening(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        folder = desk.install()
        policy = folder / e2e.texts["#Spez_FileName"]
        policy.write_bytes(b"; set by the administrator\r\nPrintToStandard = 0\r\nExportToPaint = no\r\n")
        program = desk.start(folder)
        desk.command(8)
        wait_preview(desk, e2e)
        disabled = sorted(i for i, fields in controls(desk, e2e) if fields["enabled"] == "0")
        assert disabled == [41, 45]

        policy.unlink()
        desk.command(8)
        poll(lambda: all(f["enabled"] == "1" for _, f in controls(desk, e2e)), timeout=10,
             what="every button enabled without a policy file")
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0


def test_preview_scales_at_144_dots_per_inch(e2e):
    with e2e.desktop(width=1024, height=768, dpi=144) as desk:
        program = desk.start()
        desk.command(8)
        window = wait_preview(desk, e2e)
        assert window["client"] == "592x330"
        assert dict(controls(desk, e2e))[50]["rect"] == "15,45,270,270"
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0


def test_keyboard_alone_reaches_and_presses_the_buttons_which_screen_readers_can_name(e2e):
    texts = e2e.texts
    with e2e.desktop(width=800, height=600) as desk:
        folder = desk.install()
        prefs = folder / "Orvanta.ini"
        program = desk.start(folder)
        desk.keys("down:shift", "press:snapshot", "up:shift")
        wait_preview(desk, e2e)
        # The top icon button has the focus, and focus rectangles are shown.
        focus = desk.driver("focus", "--title", preview_title(e2e))
        assert (focus["id"], focus["hide_focus"]) == ("38", "0")

        # Every button is named by its tooltip, or by its caption when it has none; the canvas by
        # the capture's size.
        tips = tooltips(desk, e2e)
        icon_tips = {38: texts["#TXT00048"], 37: texts["#TXT00050"], 34: texts["#TXT00047"],
                     36: texts["#TXT00052"], 35: texts["#TXT00051"], 42: texts["#TXT00053"]}
        # The output buttons with a shortcut key name it in their tooltips.
        assert tips == {**icon_tips, 40: texts["#TXT00090"], 39: texts["#TXT00091"],
                        44: texts["#TXT00092"]}
        names = accessible_names(desk, e2e)
        for control_id, fields in controls(desk, e2e):
            if fields["class"] == "Button":
                assert names[control_id][1] == icon_tips.get(control_id, fields["text"]) != ""
        assert names[50][1] == "800 x 600"
        STATE_SYSTEM_FOCUSED = 0x4
        assert names[38][0] & STATE_SYSTEM_FOCUSED

        # Shift+Tab from the first button wraps round to Cancel, Tab comes back.
        desk.keys("down:shift", "press:tab", "up:shift")
        poll(lambda: focused(desk, e2e) == 46, timeout=10, what="Cancel focused")
        desk.driver("keys", "press:tab")
        poll(lambda: focused(desk, e2e) == 38, timeout=10, what="the toggle focused")
        # Enter on the toggle presses nothing (there is no default button); Space flips it and
        # saves at once, as a click does, and its name follows as its tooltip does. Wine reports
        # no checked state through Active Accessibility: the check is read from the button.
        desk.driver("keys", "press:return", "press:space")
        poll(lambda: prefs.exists() and b"FitPaperOrientation = 1\r\n" in prefs.read_bytes(),
             timeout=10, what="FitPaperOrientation = 1 in the preferences")
        assert dict(controls(desk, e2e))[38]["checked"] == "1"
        assert accessible_names(desk, e2e)[38][1] == tooltips(desk, e2e)[38] == texts["#TXT00049"]

        # Tab goes down the icon column, then down the output buttons.
        order = []
        for _ in range(8):
            desk.driver("keys", "press:tab")
            previous = order[-1] if order else 38
            order.append(poll(lambda: (f := focused(desk, e2e)) != previous and f, timeout=10,
                              what="the focus to move"))
        assert order == [37, 34, 36, 35, 42, 40, 41, 39]
        # Space on the clipboard button: the capture is on the clipboard.
        desk.driver("keys", "press:space")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        desk.driver("wait-clipboard-dib", "--width", 800, "--height", 600)
        # The Enter before the Space changed nothing.
        assert b"FitPaperOrientation = 1\r\n" in prefs.read_bytes()
        assert desk.quit(program) == 0


def wait_keyboard(desk, e2e):
    """The preview has the keyboard: it is the foreground window, one of its controls focused."""
    def has_it():
        focus = desk.driver("focus", "--title", preview_title(e2e))
        return focus["foreground"] == "1" and focus["id"] != "0"
    poll(has_it, timeout=10, what="the keyboard in the preview")


def test_ctrl_c_s_and_p_do_what_their_buttons_do_unless_the_policy_turns_them_off(e2e):
    import printers
    from scenarios import export  # these import this file
    from scenarios.clipboard import copy_from_clipboard, other_forms
    with printers.pdf_printer(e2e.config.work), e2e.desktop(width=640, height=480) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", 640, 480))
        folder = desk.install()
        program = desk.start(folder)
        desk.driver("set-clipboard-text", "not a picture")
        before = desk.steady_screenshot(e2e.artifacts / "before.png")

        def with_ctrl(key):
            desk.command(8)
            wait_preview(desk, e2e)
            wait_keyboard(desk, e2e)
            desk.keys("down:ctrl", f"press:{key}", "up:ctrl")

        # Each closes the preview first, as its button does.
        with_ctrl("c")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        copied = e2e.artifacts / "clipboard.bmp"
        copy_from_clipboard(desk, copied)
        for form in (copied, *other_forms(desk, e2e, "clipboard", 640, 480)):
            assert pictures.identical(form, before), form.name
        for key, dialog in (("p", "Print"), ("s", export.requester_title(e2e))):
            with_ctrl(key)
            window = desk.driver("wait", "--title", dialog, "--class", "#32770", "--visible",
                                 "--timeout", 15000)
            assert desk.driver("count", "--title", preview_title(e2e))["count"] == "0"
            desk.driver("click", "--hwnd", window["hwnd"], "--id", 2)  # Cancel
            desk.driver("wait-gone", "--title", dialog, "--class", "#32770", "--timeout", 10000)

        # Turned off by the policy, the keys do nothing: Escape, queued after them, finds the
        # preview still open, and no dialog came.
        (folder / e2e.texts["#Spez_FileName"]).write_bytes(
            b"PrintToSelection = 0\r\nExportToClipboard = 0\r\nExportToFile = 0\r\n")
        desk.driver("set-clipboard-text", "not a picture")
        with_ctrl("c")
        desk.keys("down:ctrl", "press:s", "press:p", "up:ctrl")
        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        for dialog in (export.requester_title(e2e), "Print"):
            assert desk.driver("count", "--title", dialog)["count"] == "0"
        assert desk.driver("clipboard-text")["text"] == "not a picture"
        assert desk.quit(program) == 0


def drag_picture_to(desk, e2e, target, drops, cancel=False):
    """Presses on the middle of the preview's picture and drags it into the target window (which
    writes its files to drops), where the button is let go, or Escape pressed first, once the drag
    has come in: before that, Escape would reach the preview."""
    entered = len(list(drops.glob("enter-*")))
    window = wait_preview(desk, e2e)
    x, y = map(int, window["client_origin"].split(","))
    x, y = x + CANVAS[0] + CANVAS[2] // 2, y + CANVAS[1] + CANVAS[3] // 2
    left, top, right, bottom = map(int, target["rect"].split(","))
    desk.driver("mouse", "move", x, y)
    desk.driver("mouse", "down")
    for at in ((x + 30, y), ((left + right) // 2, (top + bottom) // 2),
               ((left + right) // 2 + 5, (top + bottom) // 2 + 5)):
        desk.driver("mouse", "move", *at)
    poll(lambda: len(list(drops.glob("enter-*"))) > entered, timeout=15,
         what="the drag in the drop target")
    if cancel:
        desk.driver("keys", "press:escape")
    desk.driver("mouse", "up")


def test_the_picture_drags_out_in_four_forms_and_escape_cancels_the_drag(e2e):
    width, height = 640, 480
    with e2e.desktop(width=width, height=height) as desk:
        desk.show_image(pictures.make_test_picture(e2e.artifacts / "screen.bmp", width, height))
        drops = e2e.artifacts / "drops"
        drops.mkdir()
        desk.wine_background(desk.config.driver, "drop-target", "--y", 400, "--width", 640,
                             "--height", 80, "--out", windows_path(drops))
        target = desk.driver("wait", "--title", "Orvanta drop target", "--visible")
        program = desk.start()
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        turned = e2e.artifacts / "turned.png"
        subprocess.run(["convert", str(before), "-rotate", "-90", str(turned)], check=True)

        # The capture as it is now, turned, in every form; the preview stays open.
        desk.command(8)
        wait_preview(desk, e2e)
        desk.driver("click", "--title", preview_title(e2e), "--id", 34)  # turn
        desk.driver("wait-text", "--title", preview_title(e2e), "--id", 48,
                    "--text", f"{height} x {width}")
        drag_picture_to(desk, e2e, target, drops)
        poll((drops / "drop-1.done").exists, timeout=15, what="the drop")
        assert (drops / "drop-1-forms.txt").read_text() == "dib,dibv5,PNG,hdrop"
        dropped = drops / "drop-1.bmp"
        assert dropped.read_bytes()[28:30] == (24).to_bytes(2, "little"), "24 bits a pixel"
        dropped_v5 = drops / "drop-1-v5.bmp"
        assert dropped_v5.read_bytes()[14:15] + dropped_v5.read_bytes()[28:30] == \
            bytes([124, 32, 0]), "a version-5 header, 32 bits a pixel"
        for form in (dropped, dropped_v5, drops / "drop-1.png"):
            assert pictures.identical(form, turned), form.name
        name = (drops / "drop-1.txt").read_text(encoding="utf-16-le").strip()
        assert re.fullmatch(r".*\\OrvantaImage-\d{8}-\d{6}\.png", name), name
        png = desk.prefix / "drive_c" / name.split("\\", 1)[1].replace("\\", "/")
        assert pictures.identical(png, turned)
        assert desk.driver("count", "--title", preview_title(e2e))["count"] == "1"

        # Escape during a drag: nothing is dropped, and the preview stays.
        drag_picture_to(desk, e2e, target, drops, cancel=True)
        close_preview(desk, e2e)  # queued after the drag, which is over by then
        assert not (drops / "drop-2.done").exists()

        # The file goes at quit, as this program wrote it.
        assert desk.quit(program) == 0
        assert not png.exists()
