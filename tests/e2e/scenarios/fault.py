"""The fatal-error report: an access violation inside the program shows the report, copies it
to the clipboard on Yes, and ends the program with exit code 0 without saving anything."""
import re
import subprocess

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
# Not what a save writes (no byte order mark, a comment, keys missing): a save would show.
PREFERENCES = b"; kept by hand\r\nImagePath = C:\\Captures\\\r\nLoadOnWindowsStart = 0\r\n"
WS_EX_TOPMOST = 0x8
BS_DEFPUSHBUTTON = 0x1


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}[m.group(1)],
                  text)


def check_report(texts, report):
    """The report as the box or the clipboard holds it: every line ends in CR LF."""
    assert report.endswith("\r\n")
    lines = report[:-2].split("\r\n")
    assert lines[:5] == [texts["#TXT00020"], "", texts["#TXT00021"], "", texts["#TXT00022"]]
    assert "@" in lines[5]  # the support contact
    assert lines[6:10] == ["", texts["#TXT00023"], "Invalid memory access\t-1073741819",
                           texts["#Program_Name"] + "\t" + texts["#Version_Name"]]
    # The fault is on a thread of its own; the location is the last one the program's thread
    # marked, and that thread was waiting for events in the loop.
    assert re.fullmatch(r"event_loop_win\.cpp\t[1-9][0-9]*", lines[10]), lines[10]
    assert lines[11:] == [""]


def prepare(e2e, desk):
    """A program folder with known preferences, a Run value a normal exit would delete, a marker
    on the clipboard, and a Wine GUI process that keeps the clipboard after the program ends."""
    folder = desk.install()
    (folder / "Orvanta.ini").write_bytes(PREFERENCES)
    desk.reg_add(RUN_KEY, e2e.texts["#Program_Name"], "REG_SZ", "kept")
    picture = e2e.artifacts / "keeper.bmp"
    subprocess.run(["convert", "-size", "16x16", "xc:white", f"BMP3:{picture}"], check=True)
    desk.show_image(picture, 0, 600)
    desk.driver("set-clipboard-text", "marker")
    return folder


def check_nothing_saved(e2e, desk, folder):
    assert (folder / "Orvanta.ini").read_bytes() == PREFERENCES
    assert desk.reg_query(RUN_KEY, e2e.texts["#Program_Name"]) == "kept"


def test_yes_copies_the_report_and_ends_with_code_0(e2e):
    texts = e2e.texts
    caption = texts["#TXT00025"]
    with e2e.desktop() as desk:
        folder = prepare(e2e, desk)
        program = desk.start(folder)
        pid = desk.main_window()["pid"]
        desk.command(8)  # the preview window, which is topmost
        preview = desk.driver("wait", "--class", "OrvantaPreview", "--visible", "--timeout", 15000)
        assert int(preview["exstyle"], 16) & WS_EX_TOPMOST
        desk.command(13)  # the about window, in the foreground
        about = desk.driver("wait", "--class", "OrvantaAbout", "--visible", "--timeout", 15000)

        desk.driver("fault-thread", "--pid", pid)
        box = desk.driver("message-box", "--title", caption, "--timeout", 15000)
        assert box["pid"] == pid
        question = texts["#TXT00024"]
        text = unescape(box["text_escaped"])
        assert text.endswith(question)
        check_report(texts, text[:-len(question)])
        assert box["owner"] == about["hwnd"]
        buttons = {line.split(" ", 1)[0]: line for line in
                   desk.driver_lines("controls", "--title", caption, "--class", "#32770")}
        assert set(buttons) >= {"6", "7"} and "text=&No" in buttons["7"]
        assert int(re.search(r"style=(0x[0-9a-f]+)", buttons["7"]).group(1), 16) & BS_DEFPUSHBUTTON
        # While the box shows, the other windows wait and none stays above it.
        preview = desk.driver("wait", "--hwnd", preview["hwnd"])
        assert preview["enabled"] == "0" and not int(preview["exstyle"], 16) & WS_EX_TOPMOST
        assert desk.driver("wait", "--hwnd", about["hwnd"])["enabled"] == "0"

        desk.driver("message-box", "--title", caption, "--press", 6)
        assert program.wait_exit() == 0
        check_report(texts, unescape(desk.driver("clipboard-text")["escaped"]))
        check_nothing_saved(e2e, desk, folder)


def test_no_leaves_the_clipboard_and_ends_with_code_0(e2e):
    caption = e2e.texts["#TXT00025"]
    with e2e.desktop() as desk:
        folder = prepare(e2e, desk)
        program = desk.start(folder)
        desk.driver("fault-thread", "--pid", desk.main_window()["pid"])
        box = desk.driver("message-box", "--title", caption, "--timeout", 15000)
        assert box["owner"] == "0x0"  # no window of the program is in the foreground
        desk.driver("message-box", "--title", caption, "--press", 7)
        assert program.wait_exit() == 0
        assert desk.driver("clipboard-text")["escaped"] == "marker"
        check_nothing_saved(e2e, desk, folder)
