"""The Print Screen hook: each combination starts its capture on the key's release and swallows
that release; Print Screen alone, and every other key, passes on to the focused window."""
import queue
import subprocess
import threading

from harness import poll
from scenarios.preview import controls, preview_title, wait_preview
from scenarios.selection import OVERLAY, overlay_count, pixel, wait_overlay

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

        # The combination's release was swallowed: a key pressed in the log window afterwards
        # arrives with no Print Screen release before it. (The release of Shift may reach the
        # preview instead: the hook waits while the program pauses before its grab.)
        desk.driver("set-foreground", "--title", log.title)
        poll(lambda: desk.driver("foreground")["title"] == log.title, timeout=10,
             what="the key log in front")
        desk.driver("keys", "press:tab")
        keys = log.wait_for(f"down:{TAB}")
        assert keys.count(f"down:{SNAPSHOT}") == 2 and keys.count(f"up:{SNAPSHOT}") == 1, keys
        assert keys.index(f"down:{SHIFT}") < keys.index(f"down:{SNAPSHOT}", 2), keys
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0


def test_ctrl_print_screen_opens_the_region_overlay_on_the_release(e2e):
    with e2e.desktop() as desk:  # 1920 x 1080
        program = desk.start()
        desk.driver("keys", "down:ctrl", "press:snapshot", "up:ctrl")
        overlay = wait_overlay(desk)
        assert overlay["title"] == OVERLAY
        assert overlay["rect"] == "0,0,1920,1080"
        # Region mode: a drag selects a rectangle.
        desk.driver("mouse", "drag", 100, 100, 340, 280)
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "240 x 180"
        desk.driver("keys", "press:escape")
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
        left, top, right, bottom = map(int, window["rect"].split(","))
        border = ((right - left) - int(window["client"].split("x")[0])) // 2
        desk.driver("mouse", "move", left + 100, top + 100)
        desk.driver("keys", "down:ctrl", "down:shift", "press:snapshot", "up:shift", "up:ctrl")
        wait_overlay(desk)
        # Window mode: the window under the pointer is picked and framed on the overlay. The
        # overlay is hidden while it picks, so the click waits for the frame.
        desk.driver("mouse", "move", left + 105, top + 102)
        poll(lambda: pixel(desk, left + border, top + 100) == (0, 0, 0), timeout=15,
             what="the key log's window framed")
        desk.driver("mouse", "click", left + 105, top + 102)
        wait_preview(desk, e2e)
        assert label(desk, e2e) == f"{right - left - 2 * border} x {bottom - top - border}"
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0
