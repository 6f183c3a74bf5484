"""Printing through a real print path: CUPS with a cups-pdf queue as the default printer (A4,
300 dots per inch). What the program prints is read back from the PDF with poppler's tools and
ImageMagick: the embedded picture against a screenshot taken before the capture, its place and
size on the rendered page against sizes worked out here from the page and the printing rules."""
import struct
import subprocess

import pictures
import printers
from harness import poll
from scenarios.extreme_screens import PeakMemory, big_files, capture_into_preview, preview_gone

MAGENTA, CYAN = (255, 0, 255), (0, 255, 255)
BAND = 6  # screen pixels
PRINT_TO_FILE = 1040  # the print dialog's "Print to file" box


def preview_title(e2e):
    return e2e.texts["#TXT00046"]


def open_preview(desk, e2e):
    desk.command(8)  # whole-screen capture
    return desk.driver("wait", "--title", preview_title(e2e), "--visible", "--timeout", 15000)


def press(desk, e2e, control):
    desk.driver("click", "--title", preview_title(e2e), "--id", control)


def print_dialog(desk):
    return desk.driver("wait", "--title", "Print", "--class", "#32770", "--visible",
                       "--timeout", 15000)


def banded_picture(path, width, height):
    """The test picture with a magenta band down its left edge and a cyan one down its right:
    turned a quarter to the left, they become the bottom and the top of the picture."""
    pictures.make_test_picture(path, width, height)
    subprocess.run(["convert", str(path),
                    "-fill", "#ff00ff", "-draw", f"rectangle 0,0 {BAND - 1},{height - 1}",
                    "-fill", "#00ffff", "-draw",
                    f"rectangle {width - BAND},0 {width - 1},{height - 1}",
                    "-type", "TrueColor", f"BMP3:{path}"], check=True)
    return path


def desk_picture(desk, e2e, width, height):
    """Covers the screen with the banded test picture; returns the picture."""
    picture = banded_picture(e2e.artifacts / "screen.bmp", width, height)
    desk.show_image(picture)
    return picture


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def expected_print(width, height, fit):
    """(turned, size in mm, size in device pixels) of a width x height capture on the queue's
    page, by the printing rules: turned to the paper's orientation when fitting; a half when both
    sides are below 300 pixels, a quarter below 100; across the width when relatively wider than
    the page, else down its height; whole millimetres, nearest with ties to even (Python's
    round); then x lengths times HORZRES / HORZSIZE and y lengths times VERTRES / VERTSIZE, in
    single precision like the millimetres."""
    page = f32(printers.HORZSIZE / printers.VERTSIZE)
    ratio = f32(width / height)
    turned = fit and ((page > 1 and ratio < 1) or (page < 1 and ratio > 1))
    if turned:
        width, height = height, width
        ratio = f32(width / height)
    scale = 0.25 if width < 100 and height < 100 else 0.5 if width < 300 and height < 300 else 1
    if ratio > page:
        w_mm, h_mm = f32(printers.HORZSIZE * scale), f32(f32(printers.HORZSIZE / ratio) * scale)
    else:
        w_mm, h_mm = f32(f32(printers.VERTSIZE * ratio) * scale), f32(printers.VERTSIZE * scale)
    w_mm, h_mm = round(w_mm), round(h_mm)
    kx = f32(printers.HORZRES / printers.HORZSIZE)
    ky = f32(printers.VERTRES / printers.VERTSIZE)
    return turned, (w_mm, h_mm), (round(f32(w_mm * kx)), round(f32(h_mm * ky)))


def embedded_images(pdf):
    """[(width, height)] of the PDF's images, from pdfimages -list."""
    out = subprocess.run(["pdfimages", "-list", str(pdf)], check=True, capture_output=True,
                         text=True).stdout.splitlines()[2:]
    return [(int(row.split()[3]), int(row.split()[4])) for row in out if row.strip()]


def extract_picture(pdf, artifacts):
    """The PDF's one picture, upright. The PDF keeps the rows bottom-up, as the program's
    bitmap has them, and turns them upright in the page's drawing matrix; pdfimages hands them
    out as stored."""
    subprocess.run(["pdfimages", "-png", str(pdf), str(artifacts / "embedded")], check=True)
    upright = artifacts / "embedded-upright.png"
    subprocess.run(["convert", str(artifacts / "embedded-000.png"), "-flip", str(upright)],
                   check=True)
    return upright


def render(pdf, artifacts):
    """The page at the printer's own resolution, and the box of what is printed on it
    (x, y, w, h in device pixels, from ImageMagick's trim)."""
    page = artifacts / "page.png"
    subprocess.run(["pdftoppm", "-r", str(printers.DPI), "-png", "-singlefile", str(pdf),
                    str(artifacts / "page")], check=True)
    geometry = subprocess.run(["convert", str(page), "-trim", "-format", "%w %h %X %Y", "info:"],
                              check=True, capture_output=True, text=True).stdout.split()
    w, h, x, y = (int(v) for v in geometry)
    return page, (x, y, w, h)


def check_placement(box, device, what):
    """The picture starts at the printable area's top-left corner (the queue's page has no
    physical offset) and has the expected device size. The renderer covers every pixel the
    picture touches: the queue's page is 3508.33 pixels high, so the picture starts a third of a
    pixel down and its last row shows one pixel more; the same rounding adds at most one column."""
    x, y, w, h = box
    assert (x, y) == (0, 0), f"{what}: printed at {x},{y}, not at the top left"
    assert device[0] <= w <= device[0] + 1 and device[1] <= h <= device[1] + 1, (
        f"{what}: {w} x {h} device pixels printed, {device[0]} x {device[1]} expected")


def mm(pixels):
    return round(pixels / printers.DPI * 25.4, 2)


def print_and_check(e2e, printer, desk, before, control, capture_size, fit):
    """Prints with the given preview button and checks the PDF against the screenshot `before`
    (a PNG of the screen as captured); returns the job id, the rendered page and the box of
    what is printed on it."""
    last = printer.last_job_id()
    press(desk, e2e, control)
    if control == 40:
        window = print_dialog(desk)
        main = desk.main_window()
        assert window["pid"] == main["pid"], "the program's own print dialog"
        # Owned by the program's own window, never by another program's that is in front; and
        # without the "Print to file" box, which would print on paper all the same.
        assert int(window["owner"], 16) == int(main["hwnd"], 16), "owned by the main window"
        print_to_file = [line for line in desk.driver_lines("controls", "--hwnd", window["hwnd"])
                         if line.startswith(f"{PRINT_TO_FILE} ")]
        assert all(" visible=0 " in line for line in print_to_file), print_to_file
        desk.driver("click", "--hwnd", window["hwnd"], "--id", 1)  # OK
    job, pdf = printer.wait_pdf(last)
    assert job == last + 1, f"one job, not {job - last}"
    info = subprocess.run(["pdfinfo", str(pdf)], check=True, capture_output=True,
                          text=True).stdout
    assert "Pages:           1" in info
    assert f"Title:           {e2e.texts['#Program_Name']}" in info, "the job's name"

    turned, size_mm, device = expected_print(*capture_size, fit)
    picture_size = capture_size[::-1] if turned else capture_size
    assert embedded_images(pdf) == [picture_size], "the picture at the capture's own size"
    expected = before
    if turned:  # a quarter turn counter-clockwise
        expected = e2e.artifacts / "expected-turned.png"
        subprocess.run(["convert", str(before), "-rotate", "-90", str(expected)], check=True)
    assert pictures.identical(extract_picture(pdf, e2e.artifacts), expected), (
        "the printed picture's pixels are the capture's")

    page, box = render(pdf, e2e.artifacts)
    print(f"job {job}: {picture_size[0]} x {picture_size[1]} picture, {size_mm[0]} x "
          f"{size_mm[1]} mm = {device[0]} x {device[1]} device pixels expected; rendered "
          f"{box[2]} x {box[3]} pixels at {box[0]},{box[1]} = {mm(box[2])} x {mm(box[3])} mm")
    check_placement(box, device, f"job {job}")
    return job, page, box


def test_default_printer_prints_the_capture_across_the_page_at_the_top_left(e2e):
    # 1920 x 1080 on 209 x 297 mm: 209 x 118 mm, 2479 x 1394 device pixels (118 mm with the
    # horizontal factor would be 1400).
    with printers.pdf_printer(e2e.config.work) as printer, \
            e2e.desktop(width=1920, height=1080) as desk:
        desk_picture(desk, e2e, 1920, 1080)
        program = desk.start()
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        open_preview(desk, e2e)
        print_and_check(e2e, printer, desk, before, 41, (1920, 1080), fit=False)
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        assert desk.quit(program) == 0


def test_fitting_turns_a_landscape_capture_to_portrait_paper_within_the_printable_area(e2e):
    # Turned to 1080 x 1920: 167 x 297 mm, 1981 x 3508 device pixels, the whole printable
    # height (with the horizontal factor it would be 3523 and lose its bottom rows).
    with printers.pdf_printer(e2e.config.work) as printer, \
            e2e.desktop(width=1920, height=1080) as desk:
        folder = desk.install()
        (folder / "Orvanta.ini").write_bytes(b"FitPaperOrientation = 1\r\n")
        desk_picture(desk, e2e, 1920, 1080)
        program = desk.start(folder)
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        open_preview(desk, e2e)
        _, page, box = print_and_check(e2e, printer, desk, before, 41, (1920, 1080), fit=True)
        # The screen's left band is the picture's bottom: the last device rows of the page show
        # it, so the picture ends inside the printable area, not below it. The right band is
        # its top. (The middle of the width: the tray window covers part of the screen's edge.)
        middle = box[2] // 2
        rows = round(BAND * printers.VERTRES / 1920)  # about 11 device rows per band
        for y in (printers.VERTRES - rows + 2, printers.VERTRES - 1, printers.VERTRES):
            assert pictures.pixel(page, middle, y) == MAGENTA, f"row {y} is the picture's bottom"
        for y in (0, rows - 2):
            assert pictures.pixel(page, middle, y) == CYAN, f"row {y} is the picture's top"
        assert desk.quit(program) == 0


def test_small_capture_prints_at_half_size(e2e):
    # 250 x 200, both sides below 300: half of 209 mm is 104.5, which becomes 104 (ties to even);
    # 104 x 84 mm, 1234 x 992 device pixels. Wine copes with a screen this small (the preview
    # window is cut to the screen, its buttons still work).
    with printers.pdf_printer(e2e.config.work) as printer, \
            e2e.desktop(width=250, height=200) as desk:
        desk_picture(desk, e2e, 250, 200)
        program = desk.start()
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        open_preview(desk, e2e)
        _, _, box = print_and_check(e2e, printer, desk, before, 41, (250, 200), fit=False)
        # Half the width a large capture of the same proportion gets (the whole printable
        # width), give or take the rounding to whole millimetres (under 12 pixels each).
        assert abs(2 * box[2] - printers.HORZRES) <= 2 * 12
        assert desk.quit(program) == 0


def test_print_dialog_prints_when_confirmed_and_nothing_when_cancelled(e2e):
    with printers.pdf_printer(e2e.config.work) as printer, \
            e2e.desktop(width=800, height=600) as desk:
        desk_picture(desk, e2e, 800, 600)
        program = desk.start()
        before = desk.steady_screenshot(e2e.artifacts / "before.png")
        open_preview(desk, e2e)
        printed, _, _ = print_and_check(e2e, printer, desk, before, 40, (800, 600), fit=False)

        open_preview(desk, e2e)
        press(desk, e2e, 40)
        dialog = print_dialog(desk)
        desk.driver("click", "--hwnd", dialog["hwnd"], "--id", 2)  # Cancel
        desk.driver("wait-gone", "--title", "Print", "--class", "#32770", "--timeout", 10000)
        # The capture was let go with the preview; a new one works and prints as the very next
        # job: the cancelled dialog left no job in between.
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        open_preview(desk, e2e)
        press(desk, e2e, 41)
        job, _ = printer.wait_pdf(printed)
        assert job == printed + 1 and printer.job_ids()[-2:] == [printed, job]
        assert desk.quit(program) == 0


def test_without_a_printer_the_default_printer_button_falls_back_to_the_print_dialog(e2e):
    # The scheduler is stopped before the program starts: the program keeps the printer list
    # that its spooler library read at start. With no printer at all, the print dialog shows
    # only its notice that a printer must be installed first (OK only), and prints nothing.
    with printers.no_scheduler(e2e.config.work), e2e.desktop(width=800, height=600) as desk:
        program = desk.start()
        open_preview(desk, e2e)
        press(desk, e2e, 41)
        dialog = print_dialog(desk)
        assert dialog["pid"] == desk.main_window()["pid"], "the program's own print dialog"
        desk.driver("click", "--hwnd", dialog["hwnd"], "--id", 1)
        desk.driver("wait-gone", "--title", "Print", "--class", "#32770", "--timeout", 10000)
        desk.driver("wait-gone", "--title", preview_title(e2e), "--timeout", 5000)
        open_preview(desk, e2e)  # the program goes on; a new capture works
        desk.driver("keys", "press:escape")
        assert desk.quit(program) == 0


def test_the_largest_and_the_smallest_screen_print(e2e):
    # 7680 x 4320 with the paper orientation fitted: the turned copy is one picture more, made
    # before the print dialog shows; while printing, Wine's PostScript driver needs about three
    # pictures of its own (Wine 10's about four).
    width, height = 7680, 4320
    with printers.pdf_printer(e2e.config.work) as printer, \
            e2e.desktop(width=width, height=height) as desk, big_files(e2e) as big:
        folder = desk.install()
        (folder / "Orvanta.ini").write_bytes(b"FitPaperOrientation = 1\r\n")
        program = desk.start(folder)
        desk.show_image(pictures.make_test_picture(big("screen.bmp"), width, height))
        memory = PeakMemory(e2e, desk, width, height)
        desk.batch(capture_into_preview(e2e, width, height))
        memory.step("turned copy for printing", [
            ["click", "--title", preview_title(e2e), "--id", 40], preview_gone(e2e),
            ["wait", "--title", "Print", "--class", "#32770", "--visible", "--timeout", 60000]],
            own=1)
        last = printer.last_job_id()

        def print_it():
            dialog = print_dialog(desk)
            desk.driver("click", "--hwnd", dialog["hwnd"], "--id", 1)  # OK
            return printer.wait_pdf(last, timeout=120)
        _, pdf = memory.step("printing", print_it, own=0, wine=3.25 if e2e.wine == 8 else 4.25)
        assert "Pages:           1" in subprocess.run(["pdfinfo", str(pdf)], check=True,
                                                      capture_output=True, text=True).stdout
        (image_width, image_height), = embedded_images(pdf)
        assert image_height > image_width, "turned to the portrait paper"
        memory.report()
        assert desk.quit(program) == 0

    # One pixel prints as a square at a quarter of the printable width, in its colour.
    with printers.pdf_printer(e2e.config.work) as printer, \
            e2e.desktop(width=1, height=1) as desk:
        program = desk.start()
        dot = e2e.artifacts / "dot.bmp"
        subprocess.run(["convert", "-size", "1x1", "xc:#c04020", "-type", "TrueColor",
                        f"BMP3:{dot}"], check=True)
        desk.show_image(dot)
        open_preview(desk, e2e)
        last = printer.last_job_id()
        press(desk, e2e, 41)
        _, pdf = printer.wait_pdf(last)
        assert embedded_images(pdf) == [(1, 1)]
        page, box = render(pdf, e2e.artifacts)
        _, _, device = expected_print(1, 1, fit=False)
        check_placement(box, device, "one pixel")
        assert pictures.pixel(page, box[2] // 2, box[3] // 2) == (192, 64, 32)
        assert desk.quit(program) == 0
