#!/usr/bin/env python3
"""Writes the portable zip: the given files at its top level, text files with Windows line ends.

The same inputs give the same bytes: entries in the order given, every entry dated
SOURCE_DATE_EPOCH (else the time of the last commit), no owner or Unix extra fields.
"""
import argparse
import os
import subprocess
import sys
import time
import zipfile
from pathlib import Path

EARLIEST_ZIP_TIME = 315532800  # 1980-01-01, the first second a zip entry can hold


def build_time(source_dir):
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    result = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                            capture_output=True, text=True)
    return int(result.stdout.strip()) if result.returncode == 0 and result.stdout.strip() else 0


def entry(name, seconds):
    info = zipfile.ZipInfo(name, time.gmtime(max(seconds, EARLIEST_ZIP_TIME))[:6])
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 0  # made on Windows: no Unix permission bits
    info.external_attr = 0x20  # the archive attribute, as Windows tools write it
    return info


def pair(text):
    name, sep, path = text.partition("=")
    if not sep or not name or not path:
        raise argparse.ArgumentTypeError(f"expected NAME=PATH, got {text!r}")
    return name, Path(path)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, type=Path)
    parser.add_argument("--source-dir", default=".")
    parser.add_argument("--file", action="append", type=pair, default=[],
                        help="NAME=PATH: a file stored as it is")
    parser.add_argument("--text", action="append", type=pair, default=[],
                        help="NAME=PATH: a text file stored with CR LF line ends")
    args = parser.parse_args()

    contents = []
    for (name, path), is_text in [(f, False) for f in args.file] + [(t, True) for t in args.text]:
        if not path.is_file():
            sys.exit(f"make_portable_zip: {path} is missing")
        data = path.read_bytes()
        if is_text:
            data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        contents.append((name, data))

    seconds = build_time(args.source_dir)
    args.out.parent.mkdir(parents=True, exist_ok=True)
    partial = args.out.with_name(args.out.name + ".part")
    with zipfile.ZipFile(partial, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=9) as zf:
        for name, data in contents:
            zf.writestr(entry(name, seconds), data)
    partial.replace(args.out)


if __name__ == "__main__":
    main()
