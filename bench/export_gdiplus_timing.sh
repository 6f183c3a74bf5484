#!/usr/bin/env bash
# Times the GIF and TIFF exports through GDI+ under Wine on the export benchmark's pictures:
# the Linux export_bench writes them as BMP files, the Windows export_gdiplus_win.exe saves them.
# Usage: bench/export_gdiplus_timing.sh (after building the host and windows presets)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/build/host/bench/export_bench" --dump_images="$work"
"$root/scripts/wine-run" "$root/build/windows/export_gdiplus_win.exe" "Z:${work//\//\\}"
