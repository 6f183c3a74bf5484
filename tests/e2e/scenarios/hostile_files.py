"""Preferences and policy files that are huge, garbage, odd or unreadable: the program starts,
uses the documented defaults, keeps working, and a normal file comes out at the next save."""
import os

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
