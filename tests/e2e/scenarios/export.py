"""Saving the capture to an image file: the five formats, the remembered folder and type, and
the failures the user is told about."""
import contextlib
import os
import subprocess

import pictures
from harness import poll, windows_path
from scenarios.preview import preview_title, wait_preview

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

SAVE_BUTTON = 44
FORMATS = ["jpg", "gif", "png", "bmp", "tif"]  # the requester's pattern entries, in order


def requester_title(e2e):
    return e2e.texts["#Program_Name"] + " - " + e2e.texts["#TXT00045"]


def capture_and_press_save(desk, e2e):
    desk.command(8)
    wait_preview(desk, e2e)
    desk.driver("click", "--title", preview_title(e2e), "--id", SAVE_BUTTON)
    desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
    return desk.driver("save-dialog-state", "--title", requester_title(e2e), "--timeout", 15000)


def save_as(desk, e2e, name, filter_index):
    desk.driver("save-dialog", "--title", requester_title(e2e), "--filter", filter_index,
                "--name", name)
    desk.driver("wait-gone", "--title", requester_title(e2e), "--timeout", 10000)


def read_preferences(folder):
    text = (folder / "Orvanta.ini").read_bytes().decode("utf-8-sig")
    return dict(line.split(" = ", 1) for line in text.splitlines() if " = " in line)


def adaptive_palette(pixels):
    """The palette rule, written out independently: all pixel values and one extra 0 sorted,
    256 picks at a step of n div 256, a run of the last colour skipped and the step spread again
    over what remains."""
    n = len(pixels)
    values = sorted(pixels + [0])
    step, i, last = n // 256, 0, values[0] - 1
    palette = []
    for k in range(256):
        if values[i] != last:
            last = values[i]
            i += step
        else:
            while values[i] == last and i < n:
                i += 1
            step = (n - i) // (256 - k)
            i += step - 1
            last = values[i]
        palette.append(last)
    return palette


def distance(a, b):
    return sum(((a >> s & 255) - (b >> s & 255)) ** 2 for s in (16, 8, 0))


def check_gif(path, screen_pixels):
    table = pictures.gif_color_table(path)
    assert table == adaptive_palette(screen_pixels), "the GIF keeps the adaptive palette"
    gif_pixels, _ = pictures.rgb_pixels(path)
    nearest = {}
    for colour in set(screen_pixels):
        best = min(distance(colour, entry) for entry in table)
        nearest[colour] = {entry for entry in table if distance(colour, entry) == best}
    wrong = sum(1 for shown, saved in zip(screen_pixels, gif_pixels) if saved not in nearest[shown])
    assert wrong == 0, f"{wrong} GIF pixels are not the nearest palette colour"


def test_each_format_holds_the_capture_and_the_requester_follows_the_last_save(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        picture = pictures.make_test_picture(e2e.artifacts / "screen.bmp", 640, 480)
        desk.show_image(picture)
        out = e2e.artifacts / "saved"
        out.mkdir()
        folder = desk.install()
        program = desk.start(folder)

        previous = None
        for index, extension in enumerate(FORMATS):
            # Focus moves between saves, and with it the look of Wine's tray window.
            before = desk.steady_screenshot(e2e.artifacts / f"before-{extension}.png")
            state = capture_and_press_save(desk, e2e)
            if previous is None:
                assert state["filter"] == "0" and state["name"] == ""
            else:  # the folder and format of the last save
                assert state["filter"] == str(previous) and state["folder"] == out.name
            assert state["filter_count"] == "5"
            file = out / f"shot.{extension}"
            save_as(desk, e2e, windows_path(file), index)
            poll(file.exists, timeout=20, what=f"{file.name} to be written")
            previous = index

            kind = subprocess.run(["identify", "-format", "%m %w %h\n", str(file)], check=True,
                                  capture_output=True, text=True).stdout.splitlines()[0]
            assert kind == {"jpg": "JPEG", "gif": "GIF", "png": "PNG", "bmp": "BMP3",
                            "tif": "TIFF"}[extension] + " 640 480", kind
            if extension == "jpg":
                assert pictures.mean_error(file, before) < 0.01
            elif extension == "gif":
                check_gif(file, pictures.rgb_pixels(before)[0])
            else:
                assert pictures.identical(file, before), f"{file.name} differs from the screen"
            if extension == "bmp":  # 24 bits per pixel behind the 54 header bytes
                head = file.read_bytes()[:30]
                assert int.from_bytes(head[10:14], "little") == 54 and head[28] == 24

        # Nothing but the five files: no temporary file was left behind.
        assert sorted(p.name for p in out.iterdir()) == sorted(f"shot.{e}" for e in FORMATS)
        assert desk.quit(program) == 0
        prefs = read_preferences(folder)
        assert prefs["ImagePath"] == windows_path(out) + "\\" and prefs["ImageType"] == "tif"


def test_requester_starts_in_the_remembered_folder_and_type_after_a_restart(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install()
        kept = e2e.artifacts / "kept pictures"
        kept.mkdir()
        gone = windows_path(e2e.artifacts / "deleted") + "\\"
        # A folder that no longer exists and a type in capitals, which is not a known one.
        (folder / "Orvanta.ini").write_bytes(
            f"\ufeffImagePath = {gone}\r\nImageType = JPG\r\n".encode("utf-8"))
        program = desk.start(folder)

        state = capture_and_press_save(desk, e2e)
        assert state["filter"] == "0" and state["filter_text"] == "Image JPG"
        assert state["folder"] == "Pictures"  # the user's pictures folder
        desk.driver("save-dialog", "--title", requester_title(e2e), "--cancel")
        desk.driver("wait-gone", "--title", requester_title(e2e), "--timeout", 10000)
        # Cancel ends quietly: the next capture opens its preview at once (a message box
        # would hold the program), and the old capture went with the closed preview.
        state = capture_and_press_save(desk, e2e)
        assert state["filter"] == "0" and state["folder"] == "Pictures"

        # A name with another format's extension under the PNG entry gets ".png" added.
        save_as(desk, e2e, windows_path(kept / "a.jpg"), 2)
        saved = kept / "a.jpg.png"
        poll(saved.exists, timeout=20, what="a.jpg.png")
        assert pictures.size(saved) == (640, 480)
        assert subprocess.run(["identify", "-format", "%m", str(saved)], capture_output=True,
                              text=True).stdout == "PNG"
        assert desk.quit(program) == 0
        prefs = read_preferences(folder)
        assert prefs["ImagePath"] == windows_path(kept) + "\\" and prefs["ImageType"] == "png"

        program = desk.start(folder)
        state = capture_and_press_save(desk, e2e)
        assert state["filter"] == "2" and state["folder"] == kept.name
        save_as(desk, e2e, "again", 2)  # a bare name lands in the requester's current folder
        poll((kept / "again.png").exists, timeout=20, what="again.png in the remembered folder")
        assert desk.quit(program) == 0


@contextlib.contextmanager
def mounted(target, *options):
    target.mkdir(exist_ok=True)
    subprocess.run(["mount", *options, str(target)], check=True, capture_output=True)
    try:
        yield target
    finally:
        if subprocess.run(["umount", str(target)], capture_output=True).returncode != 0:
            subprocess.run(["umount", "-l", str(target)], capture_output=True)


def expect_message(desk, e2e, text):
    caption = e2e.texts["#TXT00001"]
    box = desk.driver("message-box", "--title", caption, "--timeout", 15000)
    assert box["text"] == text
    window = desk.driver("wait", "--title", caption, "--class", "#32770")
    assert int(window["exstyle"], 16) & 0x8, "a system-modal box stays on top"
    desk.driver("message-box", "--title", caption, "--press", 1)
    poll(lambda: not any(line.startswith(window["hwnd"] + " ") for line in
                         desk.driver_lines("windows", "--title", caption, "--class", "#32770")),
         timeout=5, what="the message box to close")


def test_failed_saves_are_reported_and_leave_no_file(e2e):
    texts = e2e.texts
    with e2e.desktop(width=640, height=480) as desk:
        picture = pictures.make_test_picture(e2e.artifacts / "screen.bmp", 640, 480)
        desk.show_image(picture)
        read_only = e2e.artifacts / "read-only"
        full = e2e.artifacts / "full"
        # Wine running as root ignores read-only attributes: a read-only mount really refuses.
        with mounted(read_only, "-t", "tmpfs", "-o", "size=4m,ro", "tmpfs"), \
                mounted(full, "-t", "tmpfs", "-o", "size=64k", "tmpfs"):
            old = full / "old.bmp"
            old_bytes = bytes(range(256)) * 100
            old.write_bytes(old_bytes)
            folder = desk.install()
            program = desk.start(folder)

            capture_and_press_save(desk, e2e)
            save_as(desk, e2e, windows_path(read_only / "x.png"), 2)
            expect_message(desk, e2e, texts["#TXT00004"])
            # GDI+ refuses as well; its failure is a failed save, not a saved file.
            capture_and_press_save(desk, e2e)
            save_as(desk, e2e, windows_path(read_only / "x.tif"), 4)
            expect_message(desk, e2e, texts["#TXT00004"])
            assert list(read_only.iterdir()) == []

            # A full disk while replacing a file: the old file stays as it was, and no
            # temporary file is left.
            capture_and_press_save(desk, e2e)
            save_as(desk, e2e, windows_path(old), 3)
            expect_message(desk, e2e, texts["#TXT00004"])
            assert old.read_bytes() == old_bytes
            # A disk with no room at all, under GDI+'s encoder: reported, not saved (nor a crash).
            subprocess.run(["dd", "if=/dev/zero", f"of={full / 'filler'}", "bs=4k"],
                           capture_output=True)
            capture_and_press_save(desk, e2e)
            save_as(desk, e2e, windows_path(full / "x.tif"), 4)
            expect_message(desk, e2e, texts["#TXT00004"])
            assert sorted(p.name for p in full.iterdir()) == ["filler", "old.bmp"]
            assert desk.quit(program) == 0

        # Without GDI+ a TIFF cannot be written: first the reason, then the failure.
        desk.reg_add(r"HKCU\Software\Wine\AppDefaults\orvanta.exe\DllOverrides", "gdiplus",
                     "REG_SZ", "")
        out = e2e.artifacts / "saved"
        out.mkdir()
        program = desk.start(folder)
        capture_and_press_save(desk, e2e)
        save_as(desk, e2e, windows_path(out / "x.tif"), 4)
        expect_message(desk, e2e, texts["#TXT00005"])
        expect_message(desk, e2e, texts["#TXT00004"])
        assert list(out.iterdir()) == []
        assert desk.quit(program) == 0


def test_a_disk_that_fills_up_during_a_save_is_reported_and_the_next_save_works(e2e):
    # A noisy picture makes JPEG and PNG files of megabytes, written through a 1 MiB buffer:
    # with some 1.3 MB free the first write lands and a later one finds the disk full.
    width, height = 1920, 1080
    with e2e.desktop(width=width, height=height) as desk:
        picture = e2e.artifacts / "noise.bmp"
        subprocess.run(["convert", "-size", f"{width}x{height}", "xc:", "+noise", "Random",
                        "-type", "TrueColor", f"BMP3:{picture}"], check=True)
        desk.show_image(picture)
        small = e2e.artifacts / "small"
        roomy = e2e.artifacts / "roomy"
        roomy.mkdir()

        def save_whole(name, index):
            capture_and_press_save(desk, e2e)
            save_as(desk, e2e, windows_path(roomy / name), index)
            poll((roomy / name).exists, timeout=20, what=f"{name} in the roomy folder")
            return (roomy / name).stat().st_size

        # Mounted before the program starts: Wine 10 runs it in a copy of the mounts of then.
        with mounted(small, "-t", "tmpfs", "-o", "size=4m", "tmpfs"):
            subprocess.run(["dd", "if=/dev/zero", f"of={small / 'filler'}", "bs=64k",
                            "count=44"], check=True, capture_output=True)
            program = desk.start()
            sizes = [save_whole("first.jpg", 0), save_whole("first.png", 2)]
            disk = os.statvfs(small)
            free = disk.f_bavail * disk.f_frsize
            assert 1024 * 1024 < free < min(sizes), (free, sizes)
            for name, index in (("x.jpg", 0), ("x.png", 2)):
                capture_and_press_save(desk, e2e)
                save_as(desk, e2e, windows_path(small / name), index)
                expect_message(desk, e2e, e2e.texts["#TXT00004"])
                # Neither the file nor its temporary stand-in is left, not even cut short.
                assert [p.name for p in small.iterdir()] == ["filler"], name

            # The program goes on: the same saves to a folder with room work, whole.
            before = desk.steady_screenshot(e2e.artifacts / "before.png")
            save_whole("after.png", 2)
            save_whole("after.jpg", 0)
            assert pictures.identical(roomy / "after.png", before)
            # Noise is the worst case for JPEG: held against the JPEG of the same screen.
            assert pictures.size(roomy / "after.jpg") == (width, height)
            assert pictures.mean_error(roomy / "after.jpg", roomy / "first.jpg") < 0.01
            assert desk.quit(program) == 0
