"""Autostart: the tray item toggles the value in the current user's Run key, and every normal
exit makes the Run key match the setting again."""
from harness import poll, windows_path

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


def quoted_program(folder):
    return f'"{windows_path(folder / "orvanta.exe")}"'


def setting_in(folder, name="Orvanta.ini"):
    """The LoadOnWindowsStart line of the preferences file the program saved."""
    text = (folder / name).read_bytes().decode("utf-8-sig")
    return [line for line in text.split("\r\n") if line.startswith("LoadOnWindowsStart")]


def test_toggling_twice_returns_the_run_value_and_the_check_mark(e2e):
    name = e2e.texts["#Program_Name"]
    with e2e.desktop() as desk:
        # Blanks in the folder: unquoted, Windows would try ...\Program.exe first at logon.
        folder = desk.install("Program Files/Orvanta Test")
        program = desk.start(folder)
        assert desk.reg_query(RUN_KEY, name) is None

        desk.command(10)
        poll(lambda: desk.reg_query(RUN_KEY, name) == quoted_program(folder), timeout=10,
             what="the quoted program path in the Run key")
        # The second toggle only removes the value when the first one set the check mark.
        desk.command(10)
        poll(lambda: desk.reg_query(RUN_KEY, name) is None, timeout=10,
             what="the Run value to go")

        assert desk.quit(program) == 0
        assert desk.reg_query(RUN_KEY, name) is None
        assert setting_in(folder) == ["LoadOnWindowsStart = 0"]

        # Once more from there: one toggle and quit keep it on, in the file and the Run key.
        program = desk.start(folder)
        desk.command(10)
        poll(lambda: desk.reg_query(RUN_KEY, name) is not None, timeout=10, what="the Run value")
        assert desk.quit(program) == 0
        assert desk.reg_query(RUN_KEY, name) == quoted_program(folder)
        assert setting_in(folder) == ["LoadOnWindowsStart = 1"]


def test_quit_makes_the_run_key_match_the_setting(e2e):
    name = e2e.texts["#Program_Name"]
    with e2e.desktop() as desk:
        folder = desk.install()
        # A hand-edited 5 counts as on; a value left by a copy in another folder is replaced.
        (folder / "Orvanta.ini").write_bytes(b"LoadOnWindowsStart = 5\r\n")
        desk.reg_add(RUN_KEY, name, "REG_SZ", r"C:\Old Place\orvanta.exe")
        program = desk.start(folder)
        assert desk.reg_query(RUN_KEY, name) == r"C:\Old Place\orvanta.exe"  # not at start-up
        assert desk.quit(program) == 0
        assert desk.reg_query(RUN_KEY, name) == quoted_program(folder)
        assert setting_in(folder) == ["LoadOnWindowsStart = 5"]

        # Off: whatever holds the name goes at the next exit; other values stay.
        (folder / "Orvanta.ini").write_bytes(b"LoadOnWindowsStart = 0\r\n")
        desk.reg_add(RUN_KEY, "AnotherProgram", "REG_SZ", r"C:\another.exe")
        program = desk.start(folder)
        assert desk.quit(program) == 0
        assert desk.reg_query(RUN_KEY, name) is None
        assert desk.reg_query(RUN_KEY, "AnotherProgram") == r"C:\another.exe"

        # Off with no value: nothing to do and nothing goes wrong.
        program = desk.start(folder)
        assert desk.quit(program) == 0
        assert desk.reg_query(RUN_KEY, name) is None
