"""The tray icon and its menu: the rows in order, the autostart mark, choosing items, quit."""
import difflib
import subprocess

import pictures
from harness import TRAY_WINDOW, poll

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

MENU_KEYS = ["#GAD00001", "#GAD00005", "#GAD00006", "#GAD00009", "#GAD00020", "#GAD00003",
             "#GAD00007", "#GAD00008", "#GAD00002", "#GAD00004"]


def open_menu(desk):
    desk.driver("mouse", "click", *desk.tray_icon(), "right")
    return desk.driver("wait", "--class", "#32768", "--visible", "--timeout", 10000)


def menu_picture(desk, menu, path):
    left, top, right, bottom = map(int, menu["rect"].split(","))
    return desk.screenshot(path, crop=(left, top, right - left, bottom - top))


def read_rows(picture, work):
    """The menu's text rows as OCR reads them, with the row boxes (top, bottom) in pixels."""
    big = work / "menu-ocr.png"
    subprocess.run(["convert", str(picture), "-resize", "300%", "-colorspace", "Gray", str(big)],
                   check=True)
    tsv = subprocess.run(["tesseract", str(big), "-", "--psm", "6", "tsv"], check=True,
                         capture_output=True, text=True).stdout
    lines = {}
    for row in tsv.splitlines()[1:]:
        cells = row.split("\t")
        if len(cells) == 12 and cells[11].strip():
            key = (cells[2], cells[3], cells[4])
            top, height = int(cells[7]) // 3, int(cells[9]) // 3
            words, box = lines.get(key, ([], (top, top + height)))
            lines[key] = (words + [cells[11]], (min(box[0], top), max(box[1], top + height)))
    return [(" ".join(words), box) for words, box in sorted(lines.values(), key=lambda l: l[1])]


def dark_pixels(picture, x, y, w, h):
    """How many pixels of a region are darker than mid-grey."""
    out = subprocess.run(["convert", str(picture), "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                          "-colorspace", "Gray", "-threshold", "50%", "-negate", "-format",
                          "%[fx:int(mean*w*h+0.5)]", "info:"],
                         check=True, capture_output=True, text=True).stdout
    return int(out)


def check_menu(e2e, picture, checked):
    rows = read_rows(picture, e2e.artifacts)
    expected = [e2e.texts[key].replace("\t", " ") for key in MENU_KEYS]
    assert len(rows) == len(expected), rows
    for (text, _), wanted in zip(rows, expected):
        assert difflib.SequenceMatcher(None, text, wanted).ratio() > 0.8, (text, wanted)
    # Separators sit after rows 3, 4, 5 and 9: bigger gaps there than between other rows.
    gaps = [rows[i + 1][1][0] - rows[i][1][1] for i in range(len(rows) - 1)]
    normal = min(gaps)
    assert [i for i, gap in enumerate(gaps) if gap > normal + 3] == [2, 3, 4, 8], gaps
    # The check mark sits in the gutter left of "Start with Windows", and only there.
    gutter = [dark_pixels(picture, 2, top, 16, bottom - top) for _, (top, bottom) in rows]
    marked = [i for i, count in enumerate(gutter) if count > 4]
    assert marked == ([3] if checked else []), gutter


def test_menu_rows_mark_and_keyboard_choices(e2e):
    with e2e.desktop(width=1024, height=768) as desk:
        folder = desk.install()
        prefs = folder / "Orvanta.ini"
        # Any value above 0 starts the program with Windows, so it shows the mark too.
        prefs.write_bytes(b"\xef\xbb\xbf\r\nLoadOnWindowsStart = 5\r\n")
        program = desk.start(folder)

        menu = open_menu(desk)
        shot = menu_picture(desk, menu, e2e.artifacts / "menu-checked.png")
        check_menu(e2e, shot, checked=True)
        pictures.save_for_docs(shot, e2e.config.doc_images / "tray-menu.png")

        # Down four times reaches the fifth row (separators are skipped): start with Windows.
        desk.driver("keys", "press:down", "press:down", "press:down", "press:down", "press:return")
        desk.driver("wait-gone", "--class", "#32768", "--visible", "--timeout", 5000)
        menu = open_menu(desk)
        check_menu(e2e, menu_picture(desk, menu, e2e.artifacts / "menu-unchecked.png"), checked=False)

        # Clicking outside closes the menu without a command; then Quit, the last row.
        desk.driver("mouse", "click", 900, 700)
        desk.driver("wait-gone", "--class", "#32768", "--visible", "--timeout", 5000)
        open_menu(desk)
        desk.driver("keys", "press:up", "press:return")
        assert program.wait_exit(15) == 0
        assert b"LoadOnWindowsStart = 0\r\n" in prefs.read_bytes()


def test_the_second_row_captures_the_whole_screen(e2e):
    with e2e.desktop(width=1024, height=768) as desk:
        program = desk.start()
        open_menu(desk)
        desk.driver("keys", "press:down", "press:down", "press:return")
        window = desk.driver("wait", "--title", e2e.texts["#TXT00046"], "--visible",
                             "--timeout", 10000)
        assert window["visible"] == "1"
        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", e2e.texts["#TXT00046"], "--timeout", 5000)
        assert desk.quit(program) == 0


def test_the_icon_comes_back_each_time_the_taskbar_restarts(e2e):
    with e2e.desktop(width=1024, height=768) as desk:
        program = desk.start()
        main = ("--title", e2e.texts["#Program_Name"], "--class", "OrvantaMain")
        for _ in range(2):
            desk.driver("wait", *TRAY_WINDOW[e2e.wine], "--visible", "--timeout", 15000)
            # A restarted taskbar has forgotten every icon, and tells every program so.
            desk.driver("tray-delete", *main, "--id", 17)
            desk.driver("wait-gone", *TRAY_WINDOW[e2e.wine], "--visible")
            desk.driver("post", "--broadcast", "--msg-name", "TaskbarCreated")
            open_menu(desk)
            desk.driver("keys", "press:escape")
            desk.driver("wait-gone", "--class", "#32768", "--visible", "--timeout", 5000)
        assert desk.quit(program) == 0
