#!/usr/bin/env bash
# Times a 6000 x 4000 -> 800-pixel Lanczos reduction of one BMP with pictorand-cli,
# single-threaded ImageMagick and libvips; several runs, medians, peak memory, and the
# ratios of the peers' times to ours. Installs the peers it needs. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS=${RUNS:-5}
source bench/timing.sh
install_peers convert:imagemagick vips:libvips-tools
build_cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A photograph-like input: smooth gradients with fine noise.
convert -size 6000x4000 gradient:'#203060-#e0c090' -attenuate 0.4 +noise Gaussian -type TrueColor BMP3:"$work/in.bmp"

run pictorand "$cli --output-dir $work/out --size pixels:800 --filter lanczos3 --format bmp --naming keep $work/in.bmp"
run convert-1thread "convert -limit thread 1 $work/in.bmp -filter Lanczos -resize 800x800 $work/out/im.bmp"
run vips-resize "vips resize $work/in.bmp $work/out/vips.v 0.13333333"
print_table
