"""Start-up and shutdown: one copy per logon, the hidden main window, scale factors, exit code."""
from harness import poll

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True


def test_main_window_is_hidden_and_quit_exits_zero(e2e):
    with e2e.desktop() as desk:
        program = desk.start()
        window = desk.main_window()
        assert window["title"] == e2e.texts["#Program_Name"]
        assert window["visible"] == "0"
        assert window["client"] == "300x200"
        assert desk.quit(program) == 0


def test_second_copy_shows_one_message_and_leaves_the_first_running(e2e):
    texts = e2e.texts
    with e2e.desktop() as desk:
        folder = desk.install()
        first = desk.start(folder)
        first_pid = desk.main_window()["pid"]
        second = desk.start(folder, wait_main_window=False)

        box = desk.driver("message-box", "--title", texts["#Program_Name"], "--timeout", 15000)
        assert box["text"] == texts["#TXT00041"]
        assert box["pid"] != first_pid
        assert desk.driver("count", "--title", texts["#Program_Name"], "--class", "#32770")[
            "count"] == "1"
        # The second copy made no main window of its own.
        assert desk.driver("count", "--class", "OrvantaMain")["count"] == "1"

        desk.driver("message-box", "--title", texts["#Program_Name"], "--press", 1)
        assert second.wait_exit() == 0
        assert first.running()
        assert desk.main_window()["pid"] == first_pid
        assert desk.quit(first) == 0


def test_high_resolution_scales_the_main_window(e2e):
    with e2e.desktop(dpi=144) as desk:
        program = desk.start()
        assert desk.driver("metrics")["logpixelsy"] == "144"
        poll(lambda: desk.main_window()["client"] == "450x300", timeout=5,
             what="a 450x300 main window")
        assert desk.quit(program) == 0


def test_session_end_keeps_the_settings_changed_in_this_run(e2e):
    with e2e.desktop(width=640, height=480) as desk:
        folder = desk.install()
        prefs = folder / "Orvanta.ini"
        program = desk.start(folder)
        desk.command(10)  # start with Windows: on, in memory only until the program ends
        desk.driver("post", "--title", e2e.texts["#Program_Name"], "--class", "OrvantaMain",
                    "--msg", 0x16, "--wparam", 1)  # WM_ENDSESSION: the user logs off
        poll(lambda: prefs.exists() and b"LoadOnWindowsStart = 1\r\n" in prefs.read_bytes(),
             timeout=10, what="the settings saved at the end of the session")
        assert desk.quit(program) == 0
