"""The Print Screen hook: each combination starts its capture on the key's release and swallows
both its press and its release; Print Screen alone, and every other key, passes on to the focused
window, at once, whatever the program is busy with."""
import queue
import subprocess
import threading

from harness import poll
from scenarios.preview import controls, preview_title, wait_preview
from scenarios.selection import OVERLAY, overlay_count, picked_bounds, pixel, wait_overlay

SNAPSHOT, SHIFT, TAB = "0x2c", "0x10", "0x9"


class KeyLog:
    """A window of the driver that has the focus and reports every key message it receives."""

    def __init__(self, desk, title="Orvanta key log"):
        self.title = title
        self.process = subprocess.Popen(
            ["wine", str(desk.config.driver), "key-log", "--title", title], env=desk.env,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        desk.helpers.append(self.process)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.keys = []
        self._next(timeout=15, want="ready=1")

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.strip())

    def _next(self, timeout, want):
        while True:
            try:
                line = self.lines.get(timeout=timeout)
            except queue.Empty as error:
                raise AssertionError(f"the key log did not report {want}: {self.keys}") from error
            if line.startswith("key="):
                self.keys.append(line[4:])
            if line == want or line == f"key={want}":
                return

    def wait_for(self, key, timeout=15):
        """Reads the log up to and including the key message `key` (for example "up:0x2c")."""
        self._next(timeout, key)
        return self.keys


def label(desk, e2e):
    return dict(controls(desk, e2e))[48]["text"]


def print_screen_events(desk, log):
    """The Print Screen events the key log received up to now: it is brought to the front and
    given a Tab, which arrives after everything typed before it."""
    desk.driver("set-foreground", "--title", log.title)
    poll(lambda: desk.driver("foreground")["title"] == log.title, timeout=10,
         what="the key log in front")
    desk.driver("keys", "press:tab")
    keys = log.wait_for(f"down:{TAB}")
    return [key for key in keys if key.endswith(f":{SNAPSHOT}")]


def test_print_screen_alone_passes_on_and_starts_nothing(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        program = desk.start()
        log = KeyLog(desk)
        desk.driver("keys", "press:snapshot")
        assert log.wait_for(f"up:{SNAPSHOT}") == [f"down:{SNAPSHOT}", f"up:{SNAPSHOT}"]

        # Shift + Print Screen comes after it in the program's queue: once its preview is open,
        # the plain Print Screen has been handled, and it opened no overlay (which would still
        # be open, and would have turned the whole-screen capture away).
        desk.driver("keys", "down:shift", "press:snapshot", "up:shift")
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "800 x 600"
        assert overlay_count(desk) == 0
        assert desk.driver("count", "--title", preview_title(e2e))["count"] == "1"

        # The combination's press and release were both swallowed, so that Windows' own Print
        # Screen handling (which replaces the clipboard's content) never sees them; Shift itself
        # passed on, its release too: the hook does not wait for the program's pause.
        assert print_screen_events(desk, log) == [f"down:{SNAPSHOT}", f"up:{SNAPSHOT}"]
        assert f"down:{SHIFT}" in log.keys and f"up:{SHIFT}" in log.keys, log.keys
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0


def test_ctrl_print_screen_opens_the_region_overlay_on_the_release(e2e):
    with e2e.desktop() as desk:  # 1920 x 1080
        program = desk.start()
        log = KeyLog(desk)
        desk.driver("keys", "down:ctrl", "press:snapshot", "up:ctrl")
        overlay = wait_overlay(desk)
        assert overlay["title"] == OVERLAY
        assert overlay["rect"] == "0,0,1920,1080"
        # Region mode: a drag selects a rectangle.
        desk.driver("mouse", "drag", 100, 100, 340, 280)
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "240 x 180"
        desk.driver("keys", "press:escape")
        assert print_screen_events(desk, log) == [], "neither press nor release passed on"
        assert desk.quit(program) == 0


def test_shift_print_screen_captures_the_whole_screen_at_once(e2e):
    with e2e.desktop(width=1280, height=720) as desk:
        program = desk.start()
        desk.driver("keys", "down:shift", "press:snapshot", "up:shift")
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "1280 x 720"
        assert overlay_count(desk) == 0
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0


def test_ctrl_shift_print_screen_picks_a_window(e2e):
    with e2e.desktop(width=1024, height=768) as desk:
        program = desk.start()
        log = KeyLog(desk)
        window = desk.driver("wait", "--title", log.title, "--visible")
        left, top, right, bottom = picked_bounds(window)
        desk.driver("mouse", "move", left + 100, top + 100)
        desk.driver("keys", "down:ctrl", "down:shift", "press:snapshot", "up:shift", "up:ctrl")
        wait_overlay(desk)
        # Window mode: the window under the pointer is picked and framed on the overlay. The
        # overlay is hidden while it picks, so the click waits for the frame.
        desk.driver("mouse", "move", left + 105, top + 102)
        poll(lambda: pixel(desk, left, top + 100) == (0, 0, 0), timeout=15,
             what="the key log's window framed")
        desk.driver("mouse", "click", left + 105, top + 102)
        wait_preview(desk, e2e)
        assert label(desk, e2e) == f"{right - left} x {bottom - top}"
        desk.driver("keys", "press:escape")
        assert print_screen_events(desk, log) == [], "neither press nor release passed on"
        assert desk.quit(program) == 0


def test_keys_reach_other_programs_at_once_while_the_program_pauses(e2e):
    # The hook answers on a thread of its own: a key typed into another program while the
    # program pauses before a grab, or while it waits for a picked window to come forward,
    # arrives there at once, not when the pause is over. (Windows removes a hook that keeps
    # keys waiting too long, and the combinations would be gone until a restart.)
    with e2e.desktop(width=1024, height=768) as desk:
        program = desk.start()
        main = ("--post-title", e2e.texts["#Program_Name"], "--post-class", "OrvantaMain")
        during = desk.driver("key-during", *main, "--id", 8, "--after", 100,
                             "--watch", preview_title(e2e))
        print("during the pause before a whole-screen grab:", during)
        assert during["watch_visible"] == "0", "the key came before the pause ended"
        wait_preview(desk, e2e)
        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)

        # Window mode: the overlay is hidden while the window under the pointer (the key
        # window) is raised and given time to come forward. (The X pointer goes over the key
        # window first: Wine may take its pointer back to it when the overlay appears.)
        desk.put_pointer(310, 310)
        during = desk.driver("key-during", *main, "--id", 9, "--pick", OVERLAY, "--move", 300, 300,
                             "--watch", OVERLAY, "--x", 200, "--y", 200)
        print("during the pause of a window pick:", during)
        assert during["watch_visible"] == "0", "the key came while the window was picked"
        wait_overlay(desk)
        desk.driver("mouse", "click", 300, 300)
        wait_preview(desk, e2e)
        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)

        # The hook is still there: every combination still captures.
        desk.driver("keys", "down:shift", "press:snapshot", "up:shift")
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "1024 x 768"
        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        desk.driver("keys", "down:ctrl", "press:snapshot", "up:ctrl")
        wait_overlay(desk)
        desk.driver("mouse", "drag", 100, 100, 200, 150)
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "100 x 50"
        desk.driver("keys", "press:escape")
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        desk.driver("keys", "down:ctrl", "down:shift", "press:snapshot", "up:shift", "up:ctrl")
        wait_overlay(desk)
        assert desk.quit(program) == 0
