"""Preferences and policy files that are huge, garbage, odd or unreadable: the program starts,
uses the documented defaults, keeps working, and a normal file comes out at the next save."""
import os

from harness import poll, windows_path
from scenarios.export import capture_and_press_save, read_preferences, save_as

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

DEFAULTS = (b"\xef\xbb\xbf\r\nImagePath = \r\nImageType = \r\nDelayTime = 0\r\n"
            b"LoadOnWindowsStart = 0\r\nFitPaperOrientation = 0\r\n")


def hostile_contents():
    yield "50 MB", b"FitPaperOrientation = 1\r\n" + b"x" * (50 * 1024 * 1024)
    yield "random bytes", os.urandom(256 * 1024)
    yield "long line", b"ImageType = " + b"z" * 4000 + b"\r\nFitPaperOrientation = 1\r\n"


def capture_works_with_all_outputs(desk, e2e):
    title = e2e.texts["#TXT00046"]
    desk.command(8)
    desk.driver("wait", "--title", title, "--visible", "--timeout", 15000)
    enabled = [line for line in desk.driver_lines("controls", "--title", title)
               if " enabled=0 " in line]
    desk.driver("keys", "press:escape")
    desk.driver("wait-gone", "--title", title, "--timeout", 5000)
    return not enabled


def test_hostile_preferences_and_policy_files(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install()
        prefs = folder / "Orvanta.ini"
        policy = folder / e2e.texts["#Spez_FileName"]
        for name, content in hostile_contents():
            prefs.write_bytes(content)
            policy.write_bytes(content)
            program = desk.start(folder)
            assert capture_works_with_all_outputs(desk, e2e), name
            assert desk.quit(program) == 0, name
            saved = prefs.read_bytes()
            assert saved.startswith(b"\xef\xbb\xbf\r\nImagePath = "), name
            assert saved.endswith(b"\r\n") and len(saved) < 5000, name
            if name == "50 MB":  # too large to be a preferences file: all defaults
                assert saved == DEFAULTS, name


def test_preferences_and_policy_that_are_folders_or_locked(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install()
        (folder / "Orvanta.ini").mkdir()
        (folder / e2e.texts["#Spez_FileName"]).mkdir()
        program = desk.start(folder)
        assert capture_works_with_all_outputs(desk, e2e)
        assert desk.quit(program) == 0
        # The folder stays; the settings went to the user's folder instead.
        assert (folder / "Orvanta.ini").is_dir()
        users = desk.prefix / "drive_c" / "users"
        saved = next(users.glob("*/AppData/Roaming/Orvanta/Orvanta.ini"))
        assert saved.read_bytes() == DEFAULTS

    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install("locked")
        prefs = folder / "Orvanta.ini"
        policy = folder / e2e.texts["#Spez_FileName"]
        prefs.write_bytes(b"FitPaperOrientation = 1\r\n")
        policy.write_bytes(b"ExportToFile = 0\r\n")
        desk.hold_file(prefs)
        desk.hold_file(policy)
        program = desk.start(folder)
        assert capture_works_with_all_outputs(desk, e2e)
        assert desk.quit(program) == 0


def test_a_remembered_folder_the_save_requester_cannot_start_in_gives_the_pictures_folder(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        deep = e2e.artifacts / "deep"
        while len(windows_path(deep)) < 300:  # past the requester's 260-character name buffer
            deep = deep / ("d" * 40)
        deep.mkdir(parents=True)
        cases = {"deep": windows_path(deep) + "\\",  # Wine's requester faulted on this one
                 "long": "C:\\" + "x" * 4000 + "\\",
                 "file": windows_path(e2e.config.exe)}
        users = desk.prefix / "drive_c" / "users"
        for name, image_path in cases.items():
            folder = desk.install(name)
            (folder / "Orvanta.ini").write_bytes(
                f"\ufeffImagePath = {image_path}\r\nImageType = png\r\n".encode("utf-8"))
            program = desk.start(folder)
            state = capture_and_press_save(desk, e2e)
            assert state["folder"] == "Pictures" and state["name"] == "", (name, state)
            save_as(desk, e2e, f"from-{name}", 2)  # a bare name lands in the starting folder
            saved = poll(lambda: next(users.glob(f"*/Pictures/from-{name}.png"), None),
                         timeout=20, what=f"from-{name}.png in the pictures folder")
            assert desk.quit(program) == 0, name
            assert read_preferences(folder)["ImagePath"] == (
                "C:\\users\\" + saved.parent.parent.name + "\\Pictures\\"), name
