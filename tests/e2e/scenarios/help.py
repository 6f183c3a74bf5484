"""Help, web links and the information box: documents and addresses go to the shell, the help
document is found beside the program, and the information box leads to the properties of the
program file."""
import re

from harness import poll, windows_path

# Its tests leave nothing behind that another one would see: they share their desks.
SHARE_DESKTOPS = True


def test_help_opens_the_document_beside_the_program_whatever_the_current_folder(e2e):
    help_name = e2e.texts["#Help_PDF"]
    with e2e.desktop() as desk:
        opened = desk.record_shell_opens(e2e.artifacts / "opened.txt")
        folder = desk.install()
        # The build ships the guide beside the program, and so does the install.
        source = e2e.config.docs / "help" / help_name
        assert (folder / help_name).read_bytes() == source.read_bytes()
        # A decoy in the current folder: a program that looked there would open this one.
        elsewhere = e2e.artifacts / "elsewhere"
        elsewhere.mkdir()
        (elsewhere / help_name).write_text("<p>decoy</p>")
        # Wine's shell looks beside the program before the current folder even for a bare name;
        # its trace shows the name the program handed over, which must already be the full one.
        program = desk.start(folder, cwd=elsewhere, wine_debug="trace+exec")

        desk.command(15)
        poll(opened, timeout=15, what="the shell to open the help document")
        assert opened() == [windows_path(folder / help_name)]
        calls = re.findall(r'SHELL_execute mask=.* verb=L"open" file=L"([^"]*)"',
                           program.log.read_text(errors="replace"))
        assert calls == [windows_path(folder / help_name).replace("\\", "\\\\")]
        assert desk.quit(program) == 0


def test_donate_and_more_tools_open_their_addresses(e2e):
    texts = e2e.texts
    with e2e.desktop() as desk:
        opened = desk.record_shell_opens(e2e.artifacts / "opened.txt")
        program = desk.start()
        desk.command(16)
        poll(lambda: len(opened()) == 1, timeout=15, what="the donate address")
        desk.command(11)
        poll(lambda: len(opened()) == 2, timeout=15, what="the more-tools address")
        assert opened() == [texts["#Online_Donate"], texts["#Online_MoreTools"]]
        assert desk.quit(program) == 0


def test_information_box_then_the_properties_of_the_program_file(e2e):
    texts = e2e.texts
    caption = texts["TXT00072"]
    with e2e.desktop() as desk:
        folder = desk.install()
        # Wine's shell has no properties sheet: its trace of the shell call is what shows that
        # the program asked for one, and with which file, page, owner and flags.
        program = desk.start(folder, wine_debug="trace+exec")
        main = desk.main_window()
        requests = []

        def properties_requests():
            log = program.log.read_text(errors="replace")
            requests[:] = re.findall(r'SHELL_execute mask=.*verb=L"properties".*', log)
            return requests

        desk.command(12)
        box = desk.driver("message-box", "--title", caption, "--timeout", 15000)
        assert caption == texts["#GAD00020"]  # the box is named like its menu item
        assert box["text_escaped"] == "\\r\\n\\r\\n".join(
            [" ".join(texts[k] for k in ("TXT00073", "TXT00074", "TXT00075")), texts["TXT00076"]])
        assert box["button"] == "1:OK"
        assert box["pid"] == main["pid"]
        assert box["owner"] == "0x0"  # no window of the program is in the foreground
        assert desk.driver("count", "--title", caption, "--visible")["count"] == "1"
        # The box is modal on the program's only thread: nothing after it has run yet.
        assert properties_requests() == []

        desk.driver("message-box", "--title", caption, "--press", 1)
        poll(properties_requests, timeout=15, what="the properties request")
        assert len(requests) == 1
        file = re.escape(windows_path(folder / "orvanta.exe").replace("\\", "\\\\"))
        page = re.escape(texts["Digital_Sinatures"])
        owner = main["hwnd"][2:]  # the main window, without its 0x
        assert re.search(
            rf'mask=0x0000044c hwnd=0*{owner} verb=L"properties" file=L"{file}"'
            rf' parm=L"{page}" dir=\(null\) show=0x00000000', requests[0], re.IGNORECASE), requests[0]
        assert desk.driver("count", "--title", caption)["count"] == "0"
        assert desk.quit(program) == 0
