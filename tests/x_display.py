#!/usr/bin/env python3
"""Runs a command on a virtual X display of its own: Wine makes the Direct3D device that the
Windows unit tests use only for a program on an X display."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "e2e"))
from harness import Xvfb  # noqa: E402

display = Xvfb(640, 480, subprocess.DEVNULL)
try:
    sys.exit(subprocess.run(sys.argv[1:], env=dict(os.environ, DISPLAY=display.display)).returncode)
finally:
    display.stop()
