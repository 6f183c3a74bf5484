"""The preferences file: which copy is read, where the save goes, what it writes, and that a save
never leaves a broken file behind."""
import contextlib
import os
import shutil
import subprocess
import tempfile

from harness import poll

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

DEFAULTS = (b"\xef\xbb\xbf\r\nImagePath = \r\nImageType = \r\nDelayTime = 0\r\n"
            b"LoadOnWindowsStart = 0\r\nFitPaperOrientation = 0\r\n")


def prefs_file(delay, fit=0):
    return (b"\xef\xbb\xbf\r\nImagePath = \r\nImageType = \r\nDelayTime = %d\r\n"
            b"LoadOnWindowsStart = 0\r\nFitPaperOrientation = %d\r\n" % (delay, fit))


def user_folder(desk):
    """The user's application-data folder of the program inside the desk's Wine prefix."""
    users = desk.prefix / "drive_c" / "users"
    roaming = next(p for p in users.glob("*/AppData/Roaming") if p.parent.parent.name != "Public")
    return roaming / "Orvanta"


def run_once(desk, folder):
    program = desk.start(folder)
    assert desk.quit(program) == 0


@contextlib.contextmanager
def mounted(*args):
    """A mount for the length of a test (root only), always undone."""
    target = args[-1]
    subprocess.run(["mount", *args], check=True)
    try:
        yield
    finally:
        subprocess.run(["umount", "-l", str(target)], check=False)


@contextlib.contextmanager
def read_only(folder):
    """A folder nobody can write to for the length of a test (Wine run as root ignores read-only
    attributes): a copy of it on a file system of its own that is read-only as a whole, which
    also reaches the Wine 10 processes that run already (the read-only flag of a bind does not)."""
    with tempfile.TemporaryDirectory() as copy:
        shutil.copytree(folder, copy, dirs_exist_ok=True)
        with mounted("-t", "tmpfs", "-o", "size=64m", "tmpfs", str(folder)):
            shutil.copytree(copy, folder, dirs_exist_ok=True)
            subprocess.run(["mount", "-o", "remount,ro", str(folder)], check=True)
            yield


def test_the_newer_file_is_read_and_the_program_folder_wins_a_tie(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install()
        program_copy = folder / "Orvanta.ini"
        user_copy = user_folder(desk) / "Orvanta.ini"
        user_copy.parent.mkdir(parents=True, exist_ok=True)

        # Same second: the program folder's copy is read (and written back at quit).
        program_copy.write_bytes(prefs_file(5))
        user_copy.write_bytes(prefs_file(9))
        os.utime(program_copy, (1_700_000_000.2, 1_700_000_000.2))
        os.utime(user_copy, (1_700_000_000.9, 1_700_000_000.9))
        run_once(desk, folder)
        assert program_copy.read_bytes() == prefs_file(5)

        # The user's copy newer: it is read, and the save still goes to the program folder.
        user_copy.write_bytes(prefs_file(9, fit=1))
        os.utime(program_copy, (1_700_000_000, 1_700_000_000))
        os.utime(user_copy, (1_700_000_010, 1_700_000_010))
        run_once(desk, folder)
        assert program_copy.read_bytes() == prefs_file(9, fit=1)

        # An empty program copy counts as absent.
        program_copy.write_bytes(b"")
        user_copy.write_bytes(prefs_file(7))
        run_once(desk, folder)
        assert program_copy.read_bytes() == prefs_file(7)


def test_a_read_only_program_folder_sends_the_save_to_the_user_folder(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install()
        assert not user_folder(desk).exists()
        with read_only(folder):
            run_once(desk, folder)
            assert not (folder / "Orvanta.ini").exists()
        assert (user_folder(desk) / "Orvanta.ini").read_bytes() == DEFAULTS


def test_a_hand_written_file_is_read_and_written_back_normalised(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install()
        prefs = folder / "Orvanta.ini"
        # ISO-8859-1 without byte order mark, a comment, odd spacing, a lower-case key, an
        # unknown key, a value with "=" and a group whose keys must not be seen.
        prefs.write_bytes(b"; written by hand\n  imagepath =   C:\\Caf\xe9\\  \n"
                          b"ImageType=png=x\nUnknown = 3\nFitPaperOrientation = 1\n"
                          b"LoadOnWindowsStart = 5\n[Other]\nDelayTime = 42\n")
        run_once(desk, folder)
        assert prefs.read_bytes() == (
            b"\xef\xbb\xbf\r\nImagePath = C:\\Caf\xc3\xa9\\\r\nImageType = png=x\r\n"
            b"DelayTime = 0\r\nLoadOnWindowsStart = 5\r\nFitPaperOrientation = 1\r\n")


def test_a_killed_program_leaves_a_whole_file(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install()
        prefs = folder / "Orvanta.ini"
        (folder / "Orvanta.ini.tmp").write_bytes(b"left over from an earlier crash")
        program = desk.start(folder)
        desk.command(8)
        desk.driver("wait", "--title", e2e.texts["#TXT00046"], "--visible", "--timeout", 15000)
        desk.driver("click", "--title", e2e.texts["#TXT00046"], "--id", 38)
        poll(lambda: prefs.exists() and prefs.read_bytes() == prefs_file(0, fit=1), timeout=10,
             what="the toggle saved")
        pid = desk.main_window()["pid"]
        desk.wine("taskkill", "/F", "/PID", pid, check=False)
        program.wait_exit(15)
        assert prefs.read_bytes() == prefs_file(0, fit=1)
        assert not (folder / "Orvanta.ini.tmp").exists()


def test_a_full_disk_keeps_the_old_file_and_saves_to_the_user_folder(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = e2e.artifacts / "small-disk"
        folder.mkdir()
        room = e2e.config.exe.stat().st_size // 1024 + 4096  # the program and some, in KiB
        with mounted("-t", "tmpfs", "-o", f"size={room}k", "tmpfs", str(folder)):
            desk.install("small-disk")
            prefs = folder / "Orvanta.ini"
            prefs.write_bytes(prefs_file(3))
            os.utime(prefs, (1_600_000_000, 1_600_000_000))  # older than anything saved now
            filler = folder / "filler"
            subprocess.run(["dd", "if=/dev/zero", f"of={filler}", "bs=64k"], capture_output=True)
            run_once(desk, folder)
            assert prefs.read_bytes() == prefs_file(3)
            assert not (folder / "Orvanta.ini.tmp").exists()
            assert (user_folder(desk) / "Orvanta.ini").read_bytes() == prefs_file(3)
