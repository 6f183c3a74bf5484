"""The capture keys: each combination is decided on the press of Print Screen, which the hook
swallows with its release, and starts its capture on the release; Print Screen alone, and every
other key, passes on to the focused window, at once, whatever the program is busy with. The
combinations are hot keys of the program as well, for when the hook is not called."""
import queue
import subprocess
import threading

from harness import poll
from scenarios.autostart import RUN_KEY
from scenarios.preview import close_preview, controls, preview_title, wait_preview
from scenarios.selection import OVERLAY, overlay_count, picked_bounds, pixel, wait_overlay

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

SNAPSHOT, SHIFT, TAB = "0x2c", "0x10", "0x9"
WM_HOTKEY, WM_WTSSESSION_CHANGE, WM_POWERBROADCAST = 0x312, 0x2B1, 0x218
WTS_SESSION_UNLOCK, PBT_APMRESUMEAUTOMATIC = 8, 0x12
MOD_CONTROL = 2


class KeyLog:
    """A window of the driver that has the focus and reports every key message it receives."""

    def __init__(self, desk, title="Orvanta key log", hook=False):
        """hook: the log's own low-level hook, made after the program's and so called before it,
        reports every key press too ("hooked")."""
        self.title = title
        self.process = subprocess.Popen(
            ["wine", str(desk.config.driver), "key-log", "--title", title]
            + (["--hook"] if hook else []), env=desk.env,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        desk.helpers.append(self.process)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.keys, self.hooked = [], []
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
            if line.startswith("hook="):
                self.hooked.append(line[5:])
            if line == want or line == f"key={want}":
                return

    def wait_for(self, key, timeout=15):
        """Reads the log up to and including the key message `key` (for example "up:0x2c")."""
        self._next(timeout, key)
        return self.keys

    def hooked_up_to_now(self, desk, timeout=15):
        """The key presses the log's hook has reported since the last call: a Tab is typed, and
        its report waited for, which comes after everything typed before it, whichever window
        has the keyboard."""
        desk.driver("keys", "press:tab")
        self._next(timeout, f"hook=down:{TAB}")
        hooked, self.hooked = self.hooked, []
        return hooked


def label(desk, e2e):
    return dict(controls(desk, e2e))[48]["text"]


def print_screen_events(desk, log):
    """The Print Screen events the key log received up to now: it is brought to the front and
    given a Tab, which arrives after everything typed before it. Wine 10 may hand the front back
    to a window activated just before (the preview), so the log is asked again until it is there."""
    def in_front():
        if desk.driver("foreground")["title"] == log.title:
            return True
        desk.driver("set-foreground", "--title", log.title)
        return False

    poll(in_front, timeout=10, interval=0.2, what="the key log in front")
    desk.driver("keys", "press:tab")
    keys = log.wait_for(f"down:{TAB}")
    return [key for key in keys if key.endswith(f":{SNAPSHOT}")]


def main_window(e2e):
    return "--title", e2e.texts["#Program_Name"], "--class", "OrvantaMain"


def wait_handled(desk, e2e):
    """Returns once the program has handled every command it was given before: it is given one
    more, the autostart toggle, and its Run value is waited for."""
    name = e2e.texts["#Program_Name"]
    was_on = desk.reg_query(RUN_KEY, name) is not None
    desk.command(10)
    poll(lambda: (desk.reg_query(RUN_KEY, name) is not None) != was_on, timeout=15,
         what="the autostart toggle")


def test_print_screen_alone_passes_on_and_starts_nothing(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        program = desk.start()
        log = KeyLog(desk)
        # Typed right after a capital letter: Shift's key is up again, and only a key that is
        # down counts.
        desk.driver("keys", "down:shift", "press:0x41", "up:shift", "press:snapshot")
        keys = log.wait_for(f"up:{SNAPSHOT}")
        passed = [f"down:{SNAPSHOT}", f"up:{SNAPSHOT}"]
        assert [key for key in keys if key.endswith(SNAPSHOT)] == passed
        # With Alt held too it is no capture either, as the hot keys would have it: Ctrl+Alt, and
        # AltGr (a right Alt with a left Ctrl), both arrive as plain key presses.
        for chord in (["ctrl", "alt"], ["lctrl", "ralt"]):
            desk.keys(*(f"down:{key}" for key in chord), "press:snapshot",
                      *(f"up:{key}" for key in reversed(chord)))
            keys = log.wait_for(f"up:{SNAPSHOT}")
            passed += [f"down:{SNAPSHOT}", f"up:{SNAPSHOT}"]
            assert [key for key in keys if key.endswith(SNAPSHOT)] == passed, chord

        # Shift + Print Screen comes after them in the program's queue: once its preview is open,
        # they have been handled, and opened no overlay (which would still be open, and would
        # have turned the whole-screen capture away).
        desk.keys("down:shift", "press:snapshot", "up:shift")
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "800 x 600"
        assert overlay_count(desk) == 0
        assert desk.driver("count", "--title", preview_title(e2e))["count"] == "1"

        # The combination's press and release were both swallowed, so that Windows' own Print
        # Screen handling (which replaces the clipboard's content) never sees them; Shift itself
        # passed on, its release too: the hook does not wait for the program's pause.
        assert print_screen_events(desk, log) == passed
        assert f"down:{SHIFT}" in log.keys and f"up:{SHIFT}" in log.keys, log.keys
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0


def test_ctrl_print_screen_opens_the_region_overlay_on_the_release(e2e):
    with e2e.desktop() as desk:  # 1920 x 1080
        program = desk.start()
        log = KeyLog(desk)
        # The press decides: Ctrl let go before Print Screen still makes a region. And the press
        # is swallowed, so the registered hot key never fires: one key press, one capture.
        desk.driver("keys", "down:ctrl", "down:snapshot")
        wait_handled(desk, e2e)
        assert overlay_count(desk) == 0, "a capture started on the press"
        desk.driver("keys", "up:ctrl", "up:snapshot")
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
        desk.keys("down:shift", "press:snapshot", "up:shift")
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
        desk.keys("down:ctrl", "down:shift", "press:snapshot", "up:shift", "up:ctrl")
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
        close_preview(desk, e2e)

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
        close_preview(desk, e2e)

        # The hook is still there: every combination still captures, also after the session
        # was unlocked and the machine woke (the hook is then installed afresh), and once each
        # (a second whole-screen capture would open a new preview window).
        for message, reason in ((WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK),
                                (WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC)):
            desk.driver("post", *main_window(e2e), "--msg", message, "--wparam", reason)
        desk.keys("down:shift", "press:snapshot", "up:shift")
        first = wait_preview(desk, e2e)["hwnd"]
        wait_handled(desk, e2e)
        assert wait_preview(desk, e2e)["hwnd"] == first
        assert label(desk, e2e) == "1024 x 768"
        close_preview(desk, e2e)
        desk.keys("down:ctrl", "press:snapshot", "up:ctrl")
        wait_overlay(desk)
        desk.driver("mouse", "drag", 100, 100, 200, 150)
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "100 x 50"
        close_preview(desk, e2e)
        desk.keys("down:ctrl", "down:shift", "press:snapshot", "up:shift", "up:ctrl")
        wait_overlay(desk)
        assert desk.quit(program) == 0


def test_the_combinations_are_hot_keys_of_the_program_too(e2e):
    with e2e.desktop(width=800, height=600) as desk:
        def register_ctrl_print_screen():
            return desk.driver("register-hotkey", "--mods", MOD_CONTROL, "--vk", SNAPSHOT)

        def ctrl_print_screen_hooked_first():
            """Whether the log's hook was called for a Ctrl + Print Screen before the program's
            hook swallowed it. The capture it starts is taken and closed."""
            desk.keys("down:ctrl", "press:snapshot", "up:ctrl")
            wait_overlay(desk)
            desk.driver("mouse", "click", 50, 50)  # a plain click takes the whole screen
            wait_preview(desk, e2e)
            close_preview(desk, e2e)
            return f"down:{SNAPSHOT}" in log.hooked_up_to_now(desk)

        program = desk.start()
        # The program holds the combinations: another program cannot register them meanwhile.
        assert register_ctrl_print_screen()["registered"] == "0"
        log = KeyLog(desk, hook=True)
        assert ctrl_print_screen_hooked_first()
        # A hot key arrives when the hook was not called (an administrator's window in front, or
        # a hook that Windows removed): the capture starts, and the hook is installed afresh,
        # newer than the log's now, so that it takes the combinations first again.
        desk.driver("post", *main_window(e2e), "--msg", WM_HOTKEY, "--wparam", 7,
                    "--lparam", (0x2C << 16) | MOD_CONTROL)
        wait_overlay(desk)
        desk.driver("mouse", "drag", 100, 100, 300, 200)
        wait_preview(desk, e2e)
        assert label(desk, e2e) == "200 x 100"
        desk.driver("keys", "press:escape")
        assert not ctrl_print_screen_hooked_first()
        assert desk.quit(program) == 0
        assert register_ctrl_print_screen()["registered"] == "1", "given up at quit"
