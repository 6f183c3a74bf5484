"""The capture in the paint program: a date-stamped temporary bitmap, the program started on it,
and the file kept until the program quits; bitmaps an earlier run left behind go at start-up."""
import datetime
import re
import shutil
from pathlib import Path

import pictures
from harness import poll, parse_pairs
from scenarios.preview import preview_title, wait_preview

PAINT_BUTTON = 45


def test_paint_program_gets_the_capture_in_a_temporary_bitmap_kept_until_the_program_quits(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        # A temporary folder with a space in its name: the path must arrive as one argument.
        temp = desk.prefix / "drive_c" / "temp files"
        temp.mkdir()
        for name in ("TEMP", "TMP"):
            desk.reg_add(r"HKCU\Environment", name, "REG_SZ", "C:\\temp files")
        # What an earlier run that did not quit left behind goes at start-up; only that.
        (temp / "OrvantaImage-20200102-030405.bmp").write_bytes(b"BM left behind")
        others = ["OrvantaImage-notes.bmp", "OrvantaImage-2020010-030405.bmp", "holiday.bmp"]
        for name in others:
            (temp / name).write_bytes(b"BM someone else's")
        (temp / "OrvantaImage-20200102-030406.bmp").mkdir()
        others.append("OrvantaImage-20200102-030406.bmp")
        folder = desk.install()
        # The system looks for a program in the starting program's folder first.
        standin = Path(e2e.config.driver).with_name("orvanta-paint-standin.exe")
        shutil.copy(standin, folder / "mspaint.exe")
        picture = pictures.make_test_picture(e2e.artifacts / "screen.bmp", 640, 480)
        desk.show_image(picture)
        program = desk.start(folder)
        assert sorted(p.name for p in temp.iterdir()) == sorted(others)
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        desk.command(8)
        wait_preview(desk, e2e)
        started = datetime.datetime.now()
        desk.driver("click", "--title", preview_title(e2e), "--id", PAINT_BUTTON)

        # The stand-in opens its file three seconds after it starts, like a slow paint program.
        record_file = folder / "paint-standin.txt"
        poll(record_file.exists, timeout=20, what="the paint program to open its file")
        record = parse_pairs(record_file.read_text(encoding="utf-8"))
        match = re.fullmatch(r'"mspaint\.exe" "C:\\temp files\\OrvantaImage-(\d{8}-\d{6})\.bmp"',
                             record["command_line"])
        assert record["arguments"] == "2", record["command_line"]
        assert match, record["command_line"]
        stamp = datetime.datetime.strptime(match.group(1), "%Y%m%d-%H%M%S")
        assert abs((stamp - started).total_seconds()) < 60
        assert record["cwd"].rstrip("\\") == "C:\\temp files"
        assert record["copied"] == "1", "the file was still there when the program opened it"
        assert pictures.identical(folder / "paint-copy.bmp", before)
        head = (folder / "paint-copy.bmp").read_bytes()[:30]
        assert head[:2] == b"BM" and head[28] == 24

        temporary = temp / f"OrvantaImage-{match.group(1)}.bmp"
        assert temporary.exists(), "kept while the program runs"
        assert desk.driver("count", "--title", preview_title(e2e))["count"] == "0"
        assert desk.quit(program) == 0
        assert sorted(p.name for p in temp.iterdir()) == sorted(others)

        # Without a paint program the button does what a failed start does: nothing to see, no
        # bitmap left, and the program goes on.
        (folder / "mspaint.exe").unlink()
        program = desk.start(folder)
        desk.command(8)
        wait_preview(desk, e2e)
        desk.driver("click", "--title", preview_title(e2e), "--id", PAINT_BUTTON)
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        poll(lambda: sorted(p.name for p in temp.iterdir()) == sorted(others), timeout=10,
             what="the unused bitmap to go")
        desk.command(8)
        wait_preview(desk, e2e)
        assert desk.driver("count", "--class", "#32770")["count"] == "0", "no message"
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0
