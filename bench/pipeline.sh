#!/usr/bin/env bash
# Whole-pipeline benchmark: photographic 12-megapixel JPEGs and PNGs turned into
# 800-pixel JPEG thumbnails (quality 85, Lanczos3) and 800-pixel PNGs by pictorand-cli and
# by ImageMagick and libvips. Several runs, medians, peak memory, ratios to us.
# Not part of the tests. JPEGS, PNGS and RUNS set the workload (default 200, 50, 3).
# A second table puts one core against the decoder's own limit: twelve photographs of 4 to
# 15 MP (4:4:4, 4:2:2 and 4:2:0, baseline and progressive) and four PNG screenshots and
# renders of 3840 x 2160 and 5120 x 2880, with ours, vipsthumbnail, ImageMagick and the
# decoder alone (djpeg -scale at the reduction chosen, libdeflate's inflate), time, peak
# memory and PSNR against a Lanczos reduction of the whole decode.
# A third table takes pictures of 20000 x 20000 (a one-colour 1-bit PNG, a fax TIFF, a grey
# JPEG and an uncompressed grey TIFF) to 800 pixels: time and peak memory, ours against
# vipsthumbnail.
# PARTS chooses the tables: "batch limit large" (default all three).
set -euo pipefail
cd "$(dirname "$0")/.."
JPEGS=${JPEGS:-200}
PNGS=${PNGS:-50}
RUNS=${RUNS:-3}
PARTS=${PARTS:-batch limit large}

source bench/timing.sh
install_peers convert:imagemagick vipsthumbnail:libvips-tools djpeg:libjpeg-turbo-progs
build_cli

work=${WORKDIR:-$(mktemp -d)}
mkdir -p "$work/jpg" "$work/png"
im="-filter Lanczos -resize 800x800 -path $work/out"
# A fixed, generated workload: 4000 x 3000 photograph-like pictures.
[ -f "$work/base.ppm" ] || convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1 -attenuate 0.3 +noise Gaussian "$work/base.ppm"
if [[ " $PARTS " == *" batch "* ]] && [ "$(ls "$work/jpg" | wc -l)" -lt "$JPEGS" ]; then
  for i in $(seq -w 1 "$JPEGS"); do
    convert "$work/base.ppm" -roll +$((10#$i * 37))+$((10#$i * 23)) -quality 92 "$work/jpg/photo$i.jpg"
  done
  for i in $(seq -w 1 "$PNGS"); do
    convert "$work/base.ppm" -roll +$((10#$i * 41))+0 "$work/png/picture$i.png"
  done
fi

if [[ " $PARTS " == *" batch "* ]]; then
threads=$(nproc)
ours="$cli --output-dir $work/out --size pixels:800 --filter lanczos3 --naming keep --overwrite always"
run "pictorand --jobs 1" "$ours --jobs 1 --format jpg --quality 85 $work/jpg && $ours --jobs 1 --format png $work/png"
run "pictorand --jobs $threads" "$ours --jobs $threads --format jpg --quality 85 $work/jpg && $ours --jobs $threads --format png $work/png"
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
fi

if [[ " $PARTS " == *" limit "* ]]; then
  mkdir -p "$work/photos" "$work/screens"
  sizes=(2448x1632 3264x2448 4000x3000 4500x3375)
  samplings=(4:4:4 4:2:2 4:2:0)
  if [ "$(ls "$work/photos" | wc -l)" -lt 12 ]; then
    for i in $(seq 0 11); do
      interlace=None; [ $((i % 2)) -eq 1 ] && interlace=JPEG
      convert "$work/base.ppm" -roll +$((i * 53))+$((i * 31)) -resize "${sizes[$((i % 4))]}!" \
        -sampling-factor "${samplings[$((i % 3))]}" -interlace "$interlace" -quality 92 "$work/photos/photo$i.jpg"
    done
  fi
  if [ "$(ls "$work/screens" | wc -l)" -lt 4 ]; then
    convert -size 3840x2160 -seed 3 plasma:fractal -blur 0x3 -depth 8 "$work/screens/render1.png"
    convert -size 5120x2880 -seed 4 plasma:fractal -blur 0x1 -depth 8 "$work/screens/render2.png"
    convert -size 5120x2880 gradient:'#204080-#f0e0c0' -fill black -pointsize 40 -annotate +100+100 "Screenshot text" -depth 8 "$work/screens/screen1.png"
    convert -size 3840x2160 xc:white -fill '#3050a0' -draw "rectangle 0,0 3840,80" -fill '#e0e0e0' -draw "rectangle 0,80 400,2160" \
      -fill black -pointsize 24 -annotate +500+300 "Window contents" -depth 8 "$work/screens/screen2.png"
  fi
  # The reduction the shrink-on-load mode decodes each photograph at: the largest 1/N that
  # keeps twice the target's 800 pixels.
  floor=""
  for f in "$work"/photos/*.jpg; do
    read -r w h < <(identify -format '%w %h\n' "$f")
    side=$(( w > h ? w : h )) n=8
    while [ $n -gt 1 ] && [ $((side / n)) -lt 1600 ]; do n=$((n / 2)); done
    floor+="djpeg -scale 1/$n -outfile /dev/null $f; "
  done
  one="$cli --jobs 1 --output-dir $work/out --size pixels:800 --filter lanczos3 --naming keep --overwrite always"
  photos=$work/photos
  for mode in "" "--sampling centre" "--shrink-on-load" "--shrink-on-load --sampling centre"; do
    fast_row=${#names[@]}
    run "photographs: pictorand ${mode:-(classic grid)}" "$one $mode --format jpg --quality 85 $photos" "$one $mode --format png $photos" "$photos"
  done
  vips_row=${#names[@]}
  run "photographs: vipsthumbnail" "VIPS_CONCURRENCY=1 vipsthumbnail -s 800 -o $work/out/%s.jpg[Q=85] $photos/*.jpg" \
    "VIPS_CONCURRENCY=1 vipsthumbnail -s 800 -o $work/out/%s.png $photos/*.jpg" "$photos"
  run "photographs: ImageMagick" "mogrify -limit thread 1 $im -quality 85 -format jpg $photos/*.jpg" \
    "mogrify -limit thread 1 $im -format png $photos/*.jpg" "$photos"
  run "photographs: djpeg -scale at our reduction (floor)" "$floor"
  run "photographs: djpeg whole (floor)" "for f in $photos/*.jpg; do djpeg -outfile /dev/null \$f; done"
  screens=$work/screens
  run "PNG screens and renders: pictorand" "$one --format jpg --quality 85 $screens" "$one --format png $screens" "$screens"
  run "PNG screens and renders: vipsthumbnail" "VIPS_CONCURRENCY=1 vipsthumbnail -s 800 -o $work/out/%s.jpg[Q=85] $screens/*.png" \
    "VIPS_CONCURRENCY=1 vipsthumbnail -s 800 -o $work/out/%s.png $screens/*.png" "$screens"
  run "PNG screens and renders: ImageMagick" "mogrify -limit thread 1 $im -quality 85 -format jpg $screens/*.png" \
    "mogrify -limit thread 1 $im -format png $screens/*.png" "$screens"
  run "PNG screens and renders: inflate alone (floor)" "$inflate_floor $screens/*.png"
  printf '\nOne core against the decoder alone, %d runs each\n' "$RUNS"
  print_table
  printf 'photographs, --shrink-on-load --sampling centre against vipsthumbnail: %s\n' \
    "$(/usr/bin/python3 bench/quality.py --compare "$work/psnr-$fast_row" "$work/psnr-$vips_row")"
fi

if [[ " $PARTS " == *" large "* ]]; then
  large=$work/large
  mkdir -p "$large"
  if [ ! -f "$large/grey.tif" ]; then
    vips black "$large/black.v" 20000 20000
    vips linear "$large/black.v" "$large/white.v" 1 255 --uchar
    vips linear "$large/black.v" "$large/grey.v" 1 128 --uchar
    vips pngsave "$large/white.v" "$large/one.png" --bitdepth 1
    vips tiffsave "$large/white.v" "$large/fax.tif" --compression ccittfax4 --bitdepth 1
    vips jpegsave "$large/grey.v" "$large/grey.jpg"
    vips tiffsave "$large/grey.v" "$large/grey.tif"
    rm -f "$large"/*.v
  fi
  one="$cli --jobs 1 --output-dir $work/out --size pixels:800 --filter lanczos3 --naming keep --overwrite always --format png"
  printf '\nPictures of 20000 x 20000 to 800 pixels on one core, %d runs each\n' "$RUNS"
  for f in one.png fax.tif grey.jpg grey.tif; do
    run "$f: pictorand" "$one $large/$f"
    if [ "$f" = grey.jpg ]; then run "$f: pictorand --shrink-on-load" "$one --shrink-on-load $large/$f"; fi
    run "$f: vipsthumbnail" "VIPS_CONCURRENCY=1 vipsthumbnail -s 800 -o $work/out/%s.png $large/$f"
    print_table
  done
fi
