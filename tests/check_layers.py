#!/usr/bin/env python3
"""Fails when a source file includes a header against the order of the layers.

The folders of src/ are layers. A file may include headers of its own folder and of the layers
below it; the folders of one layer do not include each other, apart from the one-way uses named
in ALLOWED_SIDEWAYS. Also, a portable file (neither named *_win.* nor under
src/win/) may not include a Win32 header of ours, since it is built for Linux as well.
Usage: check_layers.py SRC
"""
import pathlib
import re
import sys

# Bottom first. docs/architecture.md shows the same order.
LAYERS = [
    {"base"},
    {"imaging"},
    {"win"},
    {"events"},
    {"window_kit"},
    {"settings"},
    {"output"},
    {"capture", "review"},
    {"app"},
]
ALLOWED_SIDEWAYS = set()

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def rank(folder):
    for index, layer in enumerate(LAYERS):
        if folder in layer:
            return index
    return None


def is_win32(path):
    return path.startswith("win/") or re.search(r"_win\.(h|cpp)$", path) is not None


def faults(src):
    for file in sorted(src.rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        own_path = file.relative_to(src).as_posix()
        own = own_path.split("/")[0]
        if rank(own) is None:
            yield f"{own_path}: the folder {own} is in no layer"
            continue
        for included in INCLUDE.findall(file.read_text(encoding="utf-8")):
            folder = included.split("/")[0]
            if "/" not in included or rank(folder) is None:
                continue  # a generated or system header
            if not is_win32(own_path) and is_win32(included):
                yield f"{own_path}: a portable file includes the Win32 header {included}"
            if folder == own or (own, folder) in ALLOWED_SIDEWAYS:
                continue
            if rank(folder) >= rank(own):
                yield f"{own_path}: {own} may not include {included}"


def main():
    found = list(faults(pathlib.Path(sys.argv[1])))
    for fault in found:
        print(fault)
    if found:
        print(f"{len(found)} include(s) against the layer order:",
              " < ".join("/".join(sorted(layer)) for layer in LAYERS))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
