#!/usr/bin/env bash
# Whole-pipeline benchmark: photographic 12-megapixel JPEGs and PNGs turned into
# 800-pixel JPEG thumbnails (quality 85, Lanczos3) and 800-pixel PNGs by pictorand-cli and
# by ImageMagick and libvips. Several runs, medians, peak memory, ratios to us.
# Not part of the tests. JPEGS, PNGS and RUNS set the workload (default 200, 50, 3).
set -euo pipefail
cd "$(dirname "$0")/.."
JPEGS=${JPEGS:-200}
PNGS=${PNGS:-50}
RUNS=${RUNS:-3}

source bench/timing.sh
install_peers convert:imagemagick vipsthumbnail:libvips-tools
build_cli

work=${WORKDIR:-$(mktemp -d)}
mkdir -p "$work/jpg" "$work/png"
# A fixed, generated workload: 4000 x 3000 photograph-like pictures.
if [ "$(ls "$work/jpg" | wc -l)" -lt "$JPEGS" ]; then
  convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1 -attenuate 0.3 +noise Gaussian "$work/base.ppm"
  for i in $(seq -w 1 "$JPEGS"); do
    convert "$work/base.ppm" -roll +$((10#$i * 37))+$((10#$i * 23)) -quality 92 "$work/jpg/photo$i.jpg"
  done
  for i in $(seq -w 1 "$PNGS"); do
    convert "$work/base.ppm" -roll +$((10#$i * 41))+0 "$work/png/picture$i.png"
  done
fi

threads=$(nproc)
ours="$cli --output-dir $work/out --size pixels:800 --filter lanczos3 --naming keep --overwrite always"
run "pictorand --jobs 1" "$ours --jobs 1 --format jpg --quality 85 $work/jpg && $ours --jobs 1 --format png $work/png"
run "pictorand --jobs $threads" "$ours --jobs $threads --format jpg --quality 85 $work/jpg && $ours --jobs $threads --format png $work/png"
im="-filter Lanczos -resize 800x800 -path $work/out"
run "mogrify 1 thread" "mogrify -limit thread 1 $im -quality 85 -format jpg $work/jpg/*.jpg && mogrify -limit thread 1 $im -format png $work/png/*.png"
run "mogrify $threads threads" "mogrify $im -quality 85 -format jpg $work/jpg/*.jpg && mogrify $im -format png $work/png/*.png"
run "vips resize" "for f in $work/jpg/*.jpg; do vips resize \"\$f\" $work/out/\$(basename \"\$f\")[Q=85] 0.2; done; for f in $work/png/*.png; do vips resize \"\$f\" $work/out/\$(basename \"\$f\") 0.2; done"
run "vipsthumbnail" "vipsthumbnail -s 800 -o $work/out/%s.jpg[Q=85] $work/jpg/*.jpg && vipsthumbnail -s 800 -o $work/out/%s.png $work/png/*.png"

# The JPEGs alone on one thread each: the resampling options against vipsthumbnail,
# which decodes JPEGs at a reduced size, vips resize and ImageMagick.
jpegs="$cli --output-dir $work/out --size pixels:800 --filter lanczos3 --naming keep --overwrite always --jobs 1 --format jpg --quality 85"
run "JPEG only: pictorand" "$jpegs $work/jpg"
run "JPEG only: pictorand --sampling centre" "$jpegs --sampling centre $work/jpg"
run "JPEG only: pictorand --shrink-on-load" "$jpegs --shrink-on-load $work/jpg"
run "JPEG only: pictorand --shrink-on-load --sampling centre" "$jpegs --shrink-on-load --sampling centre $work/jpg"
run "JPEG only: pictorand --linear" "$jpegs --linear $work/jpg"
run "JPEG only: pictorand --shrink-on-load --sampling centre --linear" "$jpegs --shrink-on-load --sampling centre --linear $work/jpg"
run "JPEG only: vipsthumbnail" "VIPS_CONCURRENCY=1 vipsthumbnail -s 800 -o $work/out/%s.jpg[Q=85] $work/jpg/*.jpg"
run "JPEG only: vips resize" "for f in $work/jpg/*.jpg; do VIPS_CONCURRENCY=1 vips resize \"\$f\" $work/out/\$(basename \"\$f\")[Q=85] 0.2; done"
run "JPEG only: mogrify" "mogrify -limit thread 1 $im -quality 85 -format jpg $work/jpg/*.jpg"

# Single large pictures: a 24-megapixel one with its rows shared among the cores, and a
# 96-megapixel one for time and peak memory against the thumbnailer.
[ -f "$work/big24.jpg" ] || convert "$work/base.ppm" -resize 5657x4243! -quality 92 "$work/big24.jpg"
[ -f "$work/big96.jpg" ] || convert "$work/base.ppm" -resize 11314x8485! -quality 92 "$work/big96.jpg"
one="$cli --output-dir $work/out --size pixels:800 --filter lanczos3 --naming keep --overwrite always --format jpg --quality 85"
run "one 24 MP JPEG: pictorand --jobs 1" "$one --jobs 1 $work/big24.jpg"
run "one 24 MP JPEG: pictorand --jobs $threads" "$one --jobs $threads $work/big24.jpg"
run "one 96 MP JPEG: pictorand --jobs 1" "$one --jobs 1 $work/big96.jpg"
run "one 96 MP JPEG: pictorand --jobs 1 --shrink-on-load --sampling centre" "$one --jobs 1 --shrink-on-load --sampling centre $work/big96.jpg"
run "one 96 MP JPEG: vipsthumbnail" "VIPS_CONCURRENCY=1 vipsthumbnail -s 800 -o $work/out/%s.jpg[Q=85] $work/big96.jpg"

printf '%d JPEGs and %d PNGs of 4000 x 3000, %d runs each\n' "$JPEGS" "$PNGS" "$RUNS"
print_table
