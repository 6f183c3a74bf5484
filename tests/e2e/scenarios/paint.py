"""The capture in the paint program: started by its full path, on a date-stamped temporary
bitmap that is kept until the program quits, and for good once the user changed it; bitmaps an
earlier run left behind go at start-up when they are still as it wrote them."""
import datetime
import os
import re
import shutil
import time
from pathlib import Path

import pictures
from harness import poll, parse_pairs
from scenarios.preview import preview_title, wait_preview

PAINT_BUTTON = 45


def install_paint_standin(e2e, desk):
    """The paint program stand-in as the system's own paint program; it records its command line
    and copies the bitmap it was given. Returns the paths of the record and the copy."""
    system = desk.prefix / "drive_c" / "windows" / "system32"
    shutil.copy(Path(e2e.config.driver).with_name("orvanta-paint-standin.exe"),
                system / "mspaint.exe")
    return system / "paint-standin.txt", system / "paint-copy.bmp"


def paint_capture(desk, e2e, record_file):
    """Captures the whole screen, sends it to the paint program and waits until the stand-in has
    opened it (three seconds after its start, like a slow paint program); returns its record."""
    desk.command(8)
    wait_preview(desk, e2e)
    desk.driver("click", "--title", preview_title(e2e), "--id", PAINT_BUTTON)
    poll(record_file.exists, timeout=20, what="the paint program to open its file")
    record = parse_pairs(record_file.read_text(encoding="utf-8"))
    record_file.unlink()
    return record


def test_paint_program_by_full_path_gets_a_bitmap_kept_until_quit_and_for_good_once_changed(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        # A temporary folder with a space in its name: the path must arrive as one argument.
        temp = desk.prefix / "drive_c" / "temp files"
        temp.mkdir()
        for name in ("TEMP", "TMP"):
            desk.reg_add(r"HKCU\Environment", name, "REG_SZ", "C:\\temp files")
        # What an earlier run that did not quit left behind goes at start-up, when it still has
        # the time its name holds; one changed since (a later time) is the user's and stays.
        left = temp / "OrvantaImage-20200102-030405.bmp"
        left.write_bytes(b"BM left behind")
        stamp = time.mktime((2020, 1, 2, 3, 4, 5, 0, 0, -1))  # local time, as the name says
        os.utime(left, (stamp, stamp))
        others = ["OrvantaImage-20200102-030406.bmp", "OrvantaImage-notes.bmp",
                  "OrvantaImage-2020010-030405.bmp", "holiday.bmp"]
        for name in others:
            (temp / name).write_bytes(b"BM someone else's")
        (temp / "OrvantaImage-20200102-030407.bmp").mkdir()
        others.append("OrvantaImage-20200102-030407.bmp")
        folder = desk.install()
        # The system folder's paint program is started by its full path; one planted beside the
        # program (where a search by bare name would look first) never is.
        record_file, copy = install_paint_standin(e2e, desk)
        system = record_file.parent
        shutil.copy(system / "mspaint.exe", folder / "mspaint.exe")
        picture = pictures.make_test_picture(e2e.artifacts / "screen.bmp", 640, 480)
        desk.show_image(picture)
        program = desk.start(folder)
        assert sorted(p.name for p in temp.iterdir()) == sorted(others)
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        started = datetime.datetime.now()
        record = paint_capture(desk, e2e, record_file)

        match = re.fullmatch(r'"C:\\windows\\system32\\mspaint\.exe" '
                             r'"C:\\temp files\\OrvantaImage-(\d{8}-\d{6})\.bmp"',
                             record["command_line"], re.IGNORECASE)
        assert record["arguments"] == "2", record["command_line"]
        assert match, record["command_line"]
        taken = datetime.datetime.strptime(match.group(1), "%Y%m%d-%H%M%S")
        assert abs((taken - started).total_seconds()) < 60
        assert record["cwd"].rstrip("\\") == "C:\\temp files"
        assert record["copied"] == "1", "the file was still there when the program opened it"
        assert pictures.identical(copy, before)
        head = copy.read_bytes()[:30]
        assert head[:2] == b"BM" and head[28] == 24
        assert not (folder / "paint-standin.txt").exists(), "the one beside the program ran"

        temporary = temp / f"OrvantaImage-{match.group(1)}.bmp"
        assert temporary.exists(), "kept while the program runs"
        assert desk.driver("count", "--title", preview_title(e2e))["count"] == "0"
        assert desk.quit(program) == 0
        assert sorted(p.name for p in temp.iterdir()) == sorted(others)

        # The stand-in saves into its bitmap, as Paint's Save does (same bytes, a new time): the
        # bitmap is the user's now, and neither quitting nor the next start deletes it.
        (system / "paint-standin-edit").write_bytes(b"")
        program = desk.start(folder)
        record = paint_capture(desk, e2e, record_file)
        saved = re.search(r"OrvantaImage-\d{8}-\d{6}\.bmp", record["command_line"]).group(0)
        others.append(saved)
        assert desk.quit(program) == 0
        program = desk.start(folder)
        assert sorted(p.name for p in temp.iterdir()) == sorted(others)

        # Without a paint program the bitmap opens in the user's editor for bitmaps (the shell's
        # "edit" verb), the stand-in here; the end of the session then removes it as quitting
        # does.
        (system / "mspaint.exe").unlink()
        editor = desk.prefix / "drive_c" / "editor"
        editor.mkdir()
        shutil.copy(Path(e2e.config.driver).with_name("orvanta-paint-standin.exe"),
                    editor / "editor.exe")
        # The machine's file types: Wine reads no user's own (Windows lays those over them).
        classes = r"HKLM\Software\Classes"
        desk.wine("reg", "add", rf"{classes}\.bmp", "/ve", "/d", "OrvantaTest.Bitmap", "/f")
        desk.wine("reg", "add", rf"{classes}\OrvantaTest.Bitmap\shell\edit\command", "/ve",
                  "/d", r'"C:\editor\editor.exe" "%1"', "/f")
        record = paint_capture(desk, e2e, editor / "paint-standin.txt")
        edited = re.search(r"OrvantaImage-\d{8}-\d{6}(-\d+)?\.bmp", record["command_line"])
        assert record["copied"] == "1" and edited, record["command_line"]
        assert (editor / "paint-copy.bmp").read_bytes()[:2] == b"BM"
        assert (temp / edited.group(0)).exists()
        desk.driver("post", "--title", e2e.texts["#Program_Name"], "--class", "OrvantaMain",
                    "--msg", 0x16, "--wparam", 1)  # WM_ENDSESSION: the user logs off
        poll(lambda: not (temp / edited.group(0)).exists(), timeout=10,
             what="the unchanged bitmap removed at the end of the session")

        # With neither, the button does what a failed start does: nothing to see, no bitmap
        # left, and the program goes on.
        desk.wine("reg", "delete", rf"{classes}\OrvantaTest.Bitmap", "/f")
        desk.command(8)
        wait_preview(desk, e2e)
        desk.driver("click", "--title", preview_title(e2e), "--id", PAINT_BUTTON)
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        desk.command(8)
        wait_preview(desk, e2e)
        assert desk.driver("count", "--class", "#32770")["count"] == "0", "no message"
        assert sorted(p.name for p in temp.iterdir()) == sorted(others)
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0
        assert not (folder / "paint-standin.txt").exists()
