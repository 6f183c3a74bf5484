"""The about window: one at a time, centred, title bar only, six controls scaled with the
display resolution; its button closes it, its link opens the address through the shell and
closes it, both also from the keyboard, and close requests do nothing."""
import subprocess

from harness import poll

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True

BASE_CONTROLS = [  # id, class, x, y, w, h, text key
    (51, "Static", 5, 20, 320, 25, "#Program_Name"),
    (52, "Static", 5, 50, 320, 25, "#Version_Name"),
    (53, "Static", 5, 80, 320, 25, "#Copyright_Text"),
    (54, "Static", 5, 115, 320, 15, "#GAD00033"),
    (55, "Static", 90, 135, 180, 20, "#Online_Adresse"),
    (47, "Button", 120, 185, 90, 25, "#GAD00034"),
]
WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0xC00000, 0x80000, 0x40000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_EX_TOPMOST = 0x20000, 0x10000, 0x8
WM_CLOSE, WM_SYSCOMMAND, SC_CLOSE = 0x10, 0x112, 0xF060
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


def title(texts):
    return texts["#GAD00032"] + " " + texts["#Program_Name"]


def controls(desk, hwnd):
    """id -> (class, (x, y, w, h), text) of the about window's controls, in creation order."""
    found = []
    for line in desk.driver_lines("controls", "--hwnd", hwnd):
        ident, rest = line.split(" ", 1)
        cls = rest.split("class=", 1)[1].split(" ", 1)[0]
        rect = tuple(int(v) for v in rest.split("rect=", 1)[1].split(" ", 1)[0].split(","))
        found.append((int(ident), cls, rect, rest.split(" text=", 1)[1]))
    return found


def check_window(desk, texts, scale, client):
    window = desk.driver("wait", "--class", "OrvantaAbout", "--visible", "--timeout", 15000)
    assert window["title"] == title(texts)
    assert window["client"] == client
    style, exstyle = int(window["style"], 16), int(window["exstyle"], 16)
    assert style & WS_CAPTION == WS_CAPTION
    assert style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX) == 0
    assert exstyle & WS_EX_TOPMOST == 0
    # Centred on the screen (the whole display: Xvfb has no taskbar).
    left, top, right, bottom = (int(v) for v in window["rect"].split(","))
    assert abs((left + right) - 1920) <= 1 and abs((top + bottom) - 1080) <= 1, window["rect"]
    expected = [(ident, cls, tuple(int(v * scale) for v in (x, y, w, h)), texts[key])
                for ident, cls, x, y, w, h, key in BASE_CONTROLS]
    assert controls(desk, window["hwnd"]) == expected
    return window


def test_one_window_with_its_title_size_and_controls(e2e):
    texts = e2e.texts
    with e2e.desktop() as desk:
        program = desk.start()
        desk.command(13)
        first = check_window(desk, texts, 1.0, "330x224")

        # Choosing the item again replaces the window: a new one, and only one.
        desk.command(13)
        second = poll(lambda: (w := desk.driver("wait", "--class", "OrvantaAbout", "--visible"))
                      ["hwnd"] != first["hwnd"] and w, timeout=15, what="a new about window")
        assert desk.driver("count", "--class", "OrvantaAbout")["count"] == "1"
        check_window(desk, texts, 1.0, "330x224")

        desk.driver("click", "--hwnd", second["hwnd"], "--id", 47)
        desk.driver("wait-gone", "--class", "OrvantaAbout", "--timeout", 15000)
        assert program.running()
        assert desk.quit(program) == 0


def test_scaled_at_120_dpi(e2e):
    with e2e.desktop(dpi=120) as desk:
        program = desk.start()
        desk.command(13)
        check_window(desk, e2e.texts, 1.25, "412x280")
        # Quit with the window open: shutdown closes it too.
        assert desk.quit(program) == 0
        assert desk.driver("count", "--class", "OrvantaAbout")["count"] == "0"


def test_close_requests_are_ignored(e2e):
    name = e2e.texts["#Program_Name"]
    with e2e.desktop() as desk:
        program = desk.start()
        desk.command(13)
        window = desk.driver("wait", "--class", "OrvantaAbout", "--visible", "--timeout", 15000)
        desk.driver("post", "--hwnd", window["hwnd"], "--msg", WM_CLOSE)
        desk.driver("post", "--hwnd", window["hwnd"], "--msg", WM_SYSCOMMAND, "--wparam", SC_CLOSE)
        # Posted after the requests to the same thread: once its effect shows, they were handled.
        desk.command(10)
        poll(lambda: desk.reg_query(RUN_KEY, name) is not None, timeout=10, what="the toggle")
        assert desk.driver("wait", "--class", "OrvantaAbout", "--visible")["hwnd"] == window["hwnd"]
        assert desk.quit(program) == 0


def move_pointer(desk, point):
    """Moves the pointer and waits until it is there. Under Wine on Xvfb a late echo of an
    earlier move now and then puts the pointer back where it was; a user's hand would simply
    move again, and so does this."""
    def there():
        desk.driver("mouse", "move", *point)
        cursor = desk.driver("cursor")
        return (int(cursor["x"]), int(cursor["y"])) == point and cursor
    return poll(there, timeout=10, what=f"the pointer at {point}")


def pixels(desk, path, crop):
    """The RGB pixels of a screen rectangle (x, y, w, h), row by row."""
    desk.screenshot(path, crop)
    raw = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    w = crop[2]
    return [[tuple(raw[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x in range(w)]
            for y in range(crop[3])]


def is_blue(p):
    return p[2] >= 160 and p[0] <= 80 and p[1] <= 80


def is_dark(p):
    return max(p) <= 80


def longest_run(row, test):
    best = run = 0
    for p in row:
        run = run + 1 if test(p) else 0
        best = max(best, run)
    return best


def test_link_turns_blue_under_the_pointer_and_opens_the_address(e2e):
    texts = e2e.texts
    with e2e.desktop() as desk:
        opened = desk.record_shell_opens(e2e.artifacts / "opened.txt")
        program = desk.start()
        desk.command(13)
        window = desk.driver("wait", "--class", "OrvantaAbout", "--visible", "--timeout", 15000)
        ox, oy = (int(v) for v in window["client_origin"].split(","))
        link = next(rect for ident, _, rect, _ in controls(desk, window["hwnd"]) if ident == 55)
        crop = (ox + link[0], oy + link[1], link[2], link[3])
        over = (ox + link[0] + link[2] // 2, oy + link[1] + link[3] // 2)
        away = (ox + 10, oy + 165)  # plain window background between the link and the button

        arrow = move_pointer(desk, away)["handle"]
        rows = poll(lambda: (r := pixels(desk, e2e.artifacts / "link-away.png", crop))
                    and any(is_dark(p) for row in r for p in row) and r, timeout=10,
                    what="the link drawn in black")
        assert not any(is_blue(p) for row in rows for p in row)

        move_pointer(desk, over)
        rows = poll(lambda: (r := pixels(desk, e2e.artifacts / "link-over.png", crop))
                    and any(is_blue(p) for row in r for p in row) and r, timeout=10,
                    what="the link drawn in blue")
        assert not any(is_dark(p) for row in rows for p in row)
        # Underlined: one row of blue as wide as the text itself.
        columns = [x for row in rows for x, p in enumerate(row) if is_blue(p)]
        width = max(columns) - min(columns) + 1
        assert max(longest_run(row, is_blue) for row in rows) >= 0.9 * width
        poll(lambda: move_pointer(desk, over)["handle"] != arrow, timeout=10,
             what="the hand pointer")

        # Leaving the link turns it black again.
        poll(lambda: move_pointer(desk, away) and not any(
            is_blue(p) for row in pixels(desk, e2e.artifacts / "link-left.png", crop) for p in row),
             timeout=10, what="the link black again")

        # A click the echo moved off the link does nothing; the user would click once more.
        def click_link():
            move_pointer(desk, over)
            desk.driver("mouse", "down")
            desk.driver("mouse", "up")
            try:
                return poll(opened, timeout=3)
            except AssertionError:
                return None
        poll(click_link, timeout=30, what="the shell to open the address")
        assert opened() == [texts["#Online_Adresse"]]
        desk.driver("wait-gone", "--class", "OrvantaAbout", "--timeout", 15000)
        assert desk.quit(program) == 0


def test_tab_reaches_the_link_and_the_button_and_enter_presses_them(e2e):
    address = e2e.texts["#Online_Adresse"]
    with e2e.desktop() as desk:
        opened = desk.record_shell_opens(e2e.artifacts / "opened.txt")
        program = desk.start()

        def open_window():
            desk.command(13)
            return desk.driver("wait", "--class", "OrvantaAbout", "--visible", "--timeout", 15000)

        def focused(window):
            return int(desk.driver("focus", "--hwnd", window["hwnd"])["id"])

        # Enter with nothing focused presses nothing; Tab goes to the link, then to the button,
        # where Enter closes the window and opens nothing.
        window = open_window()
        desk.driver("keys", "press:return", "press:tab")
        poll(lambda: focused(window) == 55, timeout=10, what="the link focused")
        desk.driver("keys", "press:tab")
        poll(lambda: focused(window) == 47, timeout=10, what="the button focused")
        desk.driver("keys", "press:return")
        desk.driver("wait-gone", "--class", "OrvantaAbout", "--timeout", 15000)

        # The link, named by its address, follows Enter as it follows a click.
        window = open_window()
        desk.driver("keys", "press:tab")
        poll(lambda: focused(window) == 55, timeout=10, what="the link focused")
        link = next(line for line in desk.driver_lines("accessible", "--hwnd", window["hwnd"])
                    if line.startswith("55 "))
        assert link.split(" name=", 1)[1] == address
        desk.driver("keys", "press:return")
        poll(opened, timeout=10, what="the shell to open the address")
        assert opened() == [address]
        desk.driver("wait-gone", "--class", "OrvantaAbout", "--timeout", 15000)
        assert desk.quit(program) == 0
