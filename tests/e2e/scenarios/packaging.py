"""The release packages that scripts/package makes: the installer run silently, the installed
program started from its Start-menu shortcut, the uninstaller, and the portable zip."""
import re
import zipfile

from harness import poll, windows_path
from scenarios.preferences import read_only, user_folder

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanta"
INSTALLED_EXE = r"C:\Program Files\Orvanta\orvanta.exe"
OUTPUT_BUTTONS = {40, 41, 39, 45, 44}  # print..., default printer, clipboard, Paint, file


def package(e2e, kind):
    path = e2e.config.packages / f"orvanta-{e2e.config.version}-{kind}"
    assert path.is_file(), f"{path} is missing (scripts/package makes it)"
    return path


def install_folder(desk):
    return desk.prefix / "drive_c" / "Program Files" / "Orvanta"


def start_menu_shortcut(desk):
    programs = desk.prefix / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu"
    return programs / "Programs" / "Orvanta.lnk"


def run_setup(desk, e2e):
    """Runs the installer silently; returns its exit code."""
    return desk.wine(package(e2e, "setup.exe"), "/S", timeout=120, check=False).returncode


def uninstall(desk, *options):
    """Runs the registered quiet uninstaller, which goes on from a copy of itself in the
    temporary folder, and waits until it has removed the program's folder (its last step)."""
    command = desk.reg_query(UNINSTALL_KEY, "QuietUninstallString")
    exe = re.match(r'"([^"]+)"', command).group(1)
    assert exe == r"C:\Program Files\Orvanta\uninstall.exe"
    desk.wine(exe, *command[len(exe) + 2:].split(), *options, timeout=60)
    poll(lambda: not install_folder(desk).exists(), timeout=60,
         what="the uninstaller to remove the program's folder")


def preview_controls(desk, e2e):
    """{control id: enabled} of the open preview window."""
    title = e2e.texts["#TXT00046"]
    desk.driver("wait", "--title", title, "--visible", "--timeout", 15000)
    return {int(line.split()[0]): " enabled=1" in line
            for line in desk.driver_lines("controls", "--title", title)}


def close_wizard(desk, title, button=(1, "&Close")):
    """Presses the wizard's closing button (Close when its work is done, Cancel after it
    stopped) once that is enabled, and waits for the wizard to go."""
    button_id, text = button

    def ready():
        return any(line.startswith(f"{button_id} ") and " enabled=1" in line
                   and line.endswith(f"text={text}")
                   for line in desk.driver_lines("controls", "--title", title))

    poll(ready, timeout=30, what=f"the wizard's {text} button")
    desk.driver("click", "--title", title, "--id", button_id)
    desk.driver("wait-gone", "--title", title, "--timeout", 10000)


def assert_notices(path):
    """The notices of every library linked into the program, with their licences' texts."""
    notices = path.read_text(encoding="utf-8")
    for library in ("libjpeg-turbo", "libdeflate", "MinGW-w64", "GCC"):
        assert f"\n{library} " in notices, library
    assert "Permission is hereby granted" in notices and "Independent JPEG Group" in notices


def test_silent_install_starts_from_the_shortcut_and_keeps_settings_in_the_user_folder(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        assert (code := run_setup(desk, e2e)) == 0, f"setup ended with {code}"
        folder = install_folder(desk)
        assert sorted(p.name for p in folder.iterdir()) == [
            "Orvanta-Help.html", "Third-Party-Notices.txt", "orvanta.exe", "uninstall.exe"]
        help_name = e2e.texts["#Help_PDF"]
        source_help = e2e.config.docs / "help" / help_name
        assert (folder / help_name).read_bytes() == source_help.read_bytes()
        assert_notices(folder / "Third-Party-Notices.txt")

        # Registered with Windows for all users: an administrator's silent install.
        assert desk.reg_query(UNINSTALL_KEY, "DisplayName") == "Orvanta"
        assert desk.reg_query(UNINSTALL_KEY, "DisplayVersion") == e2e.config.version
        assert desk.reg_query(UNINSTALL_KEY, "Publisher") == "The Orvanta developers"
        assert desk.reg_query(UNINSTALL_KEY, "DisplayIcon") == INSTALLED_EXE + ",0"
        size_kb = int(desk.reg_query(UNINSTALL_KEY, "EstimatedSize"), 16)
        assert size_kb == sum(p.stat().st_size for p in folder.iterdir()) // 1024

        shortcut = desk.driver("shortcut", "--file", windows_path(start_menu_shortcut(desk)))
        assert shortcut["target"] == INSTALLED_EXE
        assert shortcut["workdir"] == r"C:\Program Files\Orvanta"

        # Program Files is not writable for a user; Wine run as root writes anywhere, so the
        # folder is mounted read-only for the run.
        prefs = user_folder(desk) / e2e.texts["#Pref_FileName"]
        with read_only(folder):
            program = desk.start(exe=shortcut["target"])
            desk.command(8)
            assert all(preview_controls(desk, e2e)[i] for i in OUTPUT_BUTTONS)
            desk.driver("keys", "press:escape")
            desk.command(10)  # start with Windows: on, saved at quit
            assert desk.quit(program) == 0
        assert b"LoadOnWindowsStart = 1\r\n" in prefs.read_bytes()
        assert not (folder / e2e.texts["#Pref_FileName"]).exists()
        assert desk.reg_query(RUN_KEY, "Orvanta") == f'"{INSTALLED_EXE}"'

        uninstall(desk, "/RemoveSettings")
        assert desk.reg_query(RUN_KEY, "Orvanta") is None
        assert not start_menu_shortcut(desk).exists()
        assert desk.reg_query(UNINSTALL_KEY, "DisplayName") is None
        assert not prefs.parent.exists()


def test_setup_and_uninstaller_close_a_running_copy_and_the_uninstaller_keeps_its_settings(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        assert (code := run_setup(desk, e2e)) == 0, f"setup ended with {code}"
        folder = install_folder(desk)
        prefs_name = e2e.texts["#Pref_FileName"]
        program = desk.start(exe=INSTALLED_EXE)
        desk.command(10)  # start with Windows: on

        # Installing again over the running copy asks it to quit as its tray menu does: it
        # saves its settings (beside itself: Wine as root may write to Program Files).
        assert (code := run_setup(desk, e2e)) == 0, f"setup ended with {code}"
        assert program.wait_exit() == 0
        assert b"LoadOnWindowsStart = 1\r\n" in (folder / prefs_name).read_bytes()

        # The program rewrites its autostart value when it quits with the setting on: the
        # uninstaller removes the value only after the program has gone.
        program = desk.start(exe=INSTALLED_EXE)
        assert desk.reg_query(RUN_KEY, "Orvanta") == f'"{INSTALLED_EXE}"'
        uninstall(desk)
        assert program.wait_exit() == 0
        assert desk.reg_query(RUN_KEY, "Orvanta") is None
        assert not start_menu_shortcut(desk).exists()
        assert desk.reg_query(UNINSTALL_KEY, "DisplayName") is None
        # Kept by default, moved to where a later installation reads them.
        kept = user_folder(desk) / prefs_name
        assert b"LoadOnWindowsStart = 1\r\n" in kept.read_bytes()


def test_portable_zip_runs_where_it_is_unpacked_and_its_policy_sample_names_every_button(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        folder = e2e.artifacts / "portable"
        with zipfile.ZipFile(package(e2e, "portable.zip")) as archive:
            assert sorted(archive.namelist()) == [
                "Orvanta-Help.html", "OrvantaPolicy.ini", "README.txt", "Third-Party-Notices.txt",
                "orvanta.exe"]
            archive.extractall(folder)
        assert_notices(folder / "Third-Party-Notices.txt")
        help_name = e2e.texts["#Help_PDF"]
        source_help = e2e.config.docs / "help" / help_name
        assert (folder / help_name).read_bytes() == source_help.read_bytes()

        policy = folder / e2e.texts["#Spez_FileName"]
        program = desk.start(folder)
        desk.command(8)
        assert all(preview_controls(desk, e2e)[i] for i in OUTPUT_BUTTONS), "shipped all on"
        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", e2e.texts["#TXT00046"], "--timeout", 10000)

        # Each key of the sample, set to 0, switches off its own button.
        policy.write_bytes(policy.read_bytes().replace(b"= 1", b"= 0"))
        desk.command(8)
        controls = preview_controls(desk, e2e)
        assert {i for i, enabled in controls.items() if not enabled} == OUTPUT_BUTTONS
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0

        assert (folder / e2e.texts["#Pref_FileName"]).is_file()
        assert not user_folder(desk).exists()


def test_interactive_uninstall_asks_before_closing_the_program_and_about_the_settings(e2e):
    wizard = "Orvanta Uninstall "  # the pages add a blank subcaption to the title
    question = "Orvanta Uninstall"
    with e2e.desktop(width=800, height=600) as desk:
        assert (code := run_setup(desk, e2e)) == 0, f"setup ended with {code}"
        folder = install_folder(desk)
        prefs = folder / e2e.texts["#Pref_FileName"]
        run_once = desk.start(exe=INSTALLED_EXE)
        assert desk.quit(run_once) == 0
        assert prefs.is_file()
        program = desk.start(exe=INSTALLED_EXE)

        def confirm_uninstall():
            desk.wine_background(folder / "uninstall.exe")
            desk.driver("wait", "--title", wizard, "--visible", "--timeout", 20000)
            desk.driver("click", "--title", wizard, "--id", 1)  # Uninstall

        # Cancel at "Orvanta is running": nothing is removed and the program runs on.
        confirm_uninstall()
        box = desk.driver("message-box", "--title", question, "--timeout", 20000, "--press", 2)
        assert "Orvanta is running" in box["text"]
        close_wizard(desk, wizard, button=(2, "Cancel"))
        assert program.running()
        assert (folder / "orvanta.exe").is_file() and prefs.is_file()
        assert desk.reg_query(UNINSTALL_KEY, "DisplayName") == "Orvanta"

        # OK closes it; "No" to keeping the settings removes them.
        confirm_uninstall()
        desk.driver("message-box", "--title", question, "--timeout", 20000, "--press", 1)
        assert program.wait_exit() == 0
        box = desk.driver("message-box", "--title", question, "--timeout", 20000, "--press", 7)
        assert "Keep your Orvanta settings" in box["text"]
        close_wizard(desk, wizard)
        assert not folder.exists()
        assert not user_folder(desk).exists()
