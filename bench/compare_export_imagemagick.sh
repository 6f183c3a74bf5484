#!/usr/bin/env bash
# Encodes the export benchmark's pictures with ImageMagick, for comparison with the program's
# own encoders (bench/export_bench): JPEG quality 90 (4:2:0 like libjpeg's defaults), PNG RGB at
# zlib level 9 asking for filter None (this ImageMagick still filters RGB rows adaptively), BMP
# version 3, and GIF with 256 colours and no dithering.
# Prints the best of three runs per file: the whole call, and the call less reading the BMP
# (the same convert call writing to null:), with the file size.
# Usage: bench/compare_export_imagemagick.sh [path/to/export_bench]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build/host/bench/export_bench}
convert=/usr/bin/convert
runs=3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --dump_images="$work"

# Best wall time in milliseconds of $runs runs of the given command.
best_ms() {
  local best=
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    local ms=$(((end - start) / 1000000))
    if [[ -z $best || $ms -lt $best ]]; then best=$ms; fi
  done
  echo "$best"
}

# Encoders are single-threaded in both programs; keep ImageMagick to one thread as well.
im=("$convert" -limit thread 1)
printf '%-22s %-5s %9s %12s %12s\n' picture fmt "total ms" "encode ms" bytes
for input in "$work"/*.bmp; do
  name=$(basename "$input" .bmp)
  read_ms=$(best_ms "${im[@]}" "$input" null:)
  # Each line: format, coder prefix of the output name ("-" for none), options.
  while read -r fmt coder options; do
    out=$work/out.$fmt
    # shellcheck disable=SC2086  # the options are several words on purpose
    total=$(best_ms "${im[@]}" "$input" $options "${coder#-}$out")
    size=$(stat -c %s "$out")
    printf '%-22s %-5s %9d %12d %12d\n' "$name" "$fmt" "$total" $((total - read_ms)) "$size"
  done <<LIST
jpeg - -quality 90 -sampling-factor 2x2,1x1,1x1
png PNG24: -strip -define png:compression-level=9 -define png:compression-filter=0 -define png:compression-strategy=0
bmp BMP3: -type TrueColor
gif - -colors 256 +dither
LIST
done
