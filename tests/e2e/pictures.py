"""Known pictures for the screen and independent checks of what the program made of them, done
with ImageMagick rather than with any code of the program."""
import subprocess
from pathlib import Path


def make_test_picture(path, width, height):
    """A 24-bit BMP with flat panels, hard edges, text-like strokes and a gradient."""
    draw = [
        "-fill", "#d03030", "-draw", f"rectangle {width // 10},{height // 10} {width // 2},{height // 2}",
        "-fill", "#30a040", "-draw", f"rectangle {width // 2},{height // 3} {width * 9 // 10},{height * 8 // 10}",
        "-fill", "#ffffff", "-draw", f"rectangle {width // 5},{height * 6 // 10} {width * 2 // 5},{height * 9 // 10}",
        "-fill", "#101010",
    ]
    for i in range(12):  # thin dark strokes, like lines of text
        y = height * 6 // 10 + 8 + i * 12
        draw += ["-draw", f"rectangle {width // 5 + 10},{y} {width // 5 + 60 + (i * 37) % 150},{y + 3}"]
    subprocess.run(
        ["convert", "-size", f"{width}x{height}", "gradient:#2050a0-#a0c0f0", *draw,
         "-type", "TrueColor", f"BMP3:{path}"],
        check=True,
    )
    return Path(path)


def save_for_docs(path, out, crop_box=None):
    """Writes a picture for the documentation with no time stamps in the file, so that the same
    pixels give the same bytes and a test run leaves the checkout unchanged."""
    args = ["convert", str(path)]
    if crop_box:
        x, y, w, h = crop_box
        args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
    args += ["-strip", "-define", "png:exclude-chunks=date,time", str(out)]
    Path(out).parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(args, check=True)


def pixel(path, x, y):
    """(r, g, b) of one pixel, 0..255."""
    out = subprocess.run(
        ["convert", str(path), "-format", f"%[fx:int(255*p{{{x},{y}}}.r)],"
         f"%[fx:int(255*p{{{x},{y}}}.g)],%[fx:int(255*p{{{x},{y}}}.b)]", "info:"],
        check=True, capture_output=True, text=True).stdout
    return tuple(int(v) for v in out.strip().split(","))


def size(path):
    out = subprocess.run(["identify", "-format", "%w %h", str(path)], check=True,
                         capture_output=True, text=True).stdout.split()
    return int(out[0]), int(out[1])


def crop(path, out, x, y, w, h):
    subprocess.run(["convert", str(path), "-crop", f"{w}x{h}+{x}+{y}", "+repage", str(out)],
                   check=True)
    return Path(out)


def mean_error(a, b):
    """Mean absolute error of two same-sized pictures, as a fraction of full scale (0..1)."""
    result = subprocess.run(["compare", "-metric", "MAE", str(a), str(b), "null:"],
                            capture_output=True, text=True)
    # compare prints "absolute (normalised)" on stderr and exits 1 when the pictures differ.
    if "(" not in result.stderr:
        raise AssertionError(f"cannot compare {a} with {b}: {result.stderr.strip()}")
    return float(result.stderr.split("(")[1].split(")")[0])


def identical(a, b):
    result = subprocess.run(["compare", "-metric", "AE", str(a), str(b), "null:"],
                            capture_output=True, text=True)
    return result.stderr.strip().split()[0] == "0"


def make_tone_picture(path, width, height):
    """A 24-bit BMP with flat white, black and mid-grey (100) panels over a colour gradient."""
    draw = [
        "-fill", "#ffffff", "-draw", f"rectangle 0,{height // 2} {width // 4 - 1},{height - 1}",
        "-fill", "#000000", "-draw", f"rectangle {width // 4},{height // 2} {width // 2 - 1},{height - 1}",
        "-fill", "#646464", "-draw", f"rectangle {width // 2},{height // 2} {width * 3 // 4 - 1},{height - 1}",
    ]
    subprocess.run(
        ["convert", "-size", f"{width}x{height}", "gradient:#ff8000-#0040ff", *draw,
         "-type", "TrueColor", f"BMP3:{path}"],
        check=True,
    )
    return Path(path)


def raw_rgb(path, crop=None):
    """The pixels of a picture (or of a crop: x, y, w, h) as bytes r, g, b, row by row."""
    args = ["convert", str(path)]
    if crop:
        x, y, w, h = crop
        args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
    return subprocess.run(args + ["-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout


def rgb_pixels(path):
    """The pixels as 0xRRGGBB values, row by row from the top, and the size, decoded by
    ImageMagick."""
    width, height = size(path)
    raw = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    assert len(raw) == width * height * 3, f"{path}: {len(raw)} bytes of RGB"
    return [raw[i] << 16 | raw[i + 1] << 8 | raw[i + 2] for i in range(0, len(raw), 3)], (
        width, height)


def gif_color_table(path):
    """The colour table of a GIF file's first image (its local table, else the global one) as
    0xRRGGBB values, read from the file's own bytes."""
    data = Path(path).read_bytes()
    assert data[:6] in (b"GIF87a", b"GIF89a"), f"{path} is not a GIF"

    def table(at, flags):
        count = 2 << (flags & 7)
        raw = data[at:at + 3 * count]
        return [raw[i] << 16 | raw[i + 1] << 8 | raw[i + 2] for i in range(0, len(raw), 3)], \
            at + 3 * count

    flags = data[10]
    position = 13
    global_table = None
    if flags & 0x80:
        global_table, position = table(position, flags)
    while data[position] == 0x21:  # extension blocks: label, then sub-blocks up to a 0 length
        position += 2
        while data[position]:
            position += data[position] + 1
        position += 1
    assert data[position] == 0x2C, "no image descriptor"
    image_flags = data[position + 9]
    if image_flags & 0x80:
        return table(position + 10, image_flags)[0]
    assert global_table is not None, "the image has no colour table"
    return global_table
