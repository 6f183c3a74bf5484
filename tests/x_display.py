#!/usr/bin/env python3
"""Runs a command with a virtual X display of its own, for its length. The Windows unit tests
make a Direct3D device, which Wine gives only to a program on an X display.
Usage: x_display.py COMMAND [ARGUMENTS...]"""
import os
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent / "e2e"))
from harness import Xvfb  # noqa: E402

display = Xvfb(640, 480, subprocess.DEVNULL)
try:
    sys.exit(subprocess.run(sys.argv[1:], env=dict(os.environ, DISPLAY=display.display)).returncode)
finally:
    display.stop()
