#!/usr/bin/env python3
"""Fails when the plain wording of a text from the text file appears in the program file.

Texts are compiled in scrambled; short texts and the program's own name (which the version
resource carries on purpose) would match by chance and are not checked.
Usage: check_no_plain_texts.py TEXTS EXE
"""
import sys

MIN_LENGTH = 12


def texts(path):
    with open(path, encoding="utf-8") as source:
        for line in source:
            line = line.rstrip("\n")
            if line and not line.startswith(";") and " = " in line:
                key, _, value = line.partition(" = ")
                if key != "@TextKey":
                    yield key, value


def main():
    texts_path, exe_path = sys.argv[1:3]
    binary = open(exe_path, "rb").read()
    found = [
        key
        for key, value in texts(texts_path)
        if len(value) >= MIN_LENGTH
        and (value.encode("utf-8") in binary or value.encode("utf-16-le") in binary)
    ]
    checked = sum(1 for _, value in texts(texts_path) if len(value) >= MIN_LENGTH)
    if found:
        sys.exit(f"plain wording found in {exe_path} for: {', '.join(found)}")
    print(f"{checked} texts checked, none in plain form")


if __name__ == "__main__":
    main()
