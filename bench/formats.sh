#!/usr/bin/env bash
# Today's formats on one core: 12-megapixel HEIC photos to 800-pixel JPEGs, and a
# 12-megapixel photograph written as WebP, AVIF and JPEG XL at each writer's default, by
# pictorand-cli, by libvips with the same settings and by each library's own encoder (the
# floor: the codec alone), from 8-bit sources as cameras and phones write them. Medians,
# peak memory and output bytes. Not part of the tests.
# HEICS and RUNS set the workload (default 4 and 3).
set -euo pipefail
cd "$(dirname "$0")/.."
HEICS=${HEICS:-4}
RUNS=${RUNS:-3}

source bench/timing.sh
install_peers vipsthumbnail:libvips-tools convert:imagemagick heif-enc:libheif-examples cwebp:webp avifenc:libavif-bin cjxl:libjxl-tools
build_cli

work=${WORKDIR:-$(mktemp -d)}
mkdir -p "$work/heic"
[ -f "$work/photo.png" ] ||
  convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1 -attenuate 0.3 +noise Gaussian -depth 8 "$work/photo.png"
if [ "$(ls "$work/heic" | wc -l)" -lt "$HEICS" ]; then
  for i in $(seq -w 1 "$HEICS"); do
    convert "$work/photo.png" -roll +$((10#$i * 37))+$((10#$i * 23)) "$work/rolled.png"
    heif-enc -q 50 "$work/rolled.png" -o "$work/heic/IMG_$i.heic" >/dev/null
  done
fi

one="taskset -c 0"
bytes=()
# run_sized NAME COMMAND: a row of the table with the bytes the command wrote.
run_sized() {
  run "$1" "$2"
  bytes+=("$(du -sb "$work/out" | cut -f1)")
}

ours="$one $cli --jobs 1 --output-dir $work/out --naming keep --overwrite always"
run_sized "HEIC to 800 px JPEG: pictorand" "$ours --size pixels:800 --format jpg --quality 85 $work/heic"
run_sized "HEIC: vipsthumbnail" "VIPS_CONCURRENCY=1 $one vipsthumbnail -s 800 -o $work/out/%s.jpg[Q=85] $work/heic/*.heic"
run_sized "HEIC: heif-convert (floor)" "for f in $work/heic/*.heic; do $one heif-convert \"\$f\" $work/out/\$(basename \"\$f\").y4m; done"

run_sized "WebP q80: pictorand" "$ours --size none --format webp $work/photo.png"
run_sized "WebP q80: vips" "VIPS_CONCURRENCY=1 $one vips copy $work/photo.png $work/out/photo.webp[Q=80]"
run_sized "WebP q80: cwebp (floor)" "$one cwebp -quiet -q 80 -m 4 $work/photo.png -o $work/out/photo.webp"

# AVIF quality 60 is quantizer 25 of 63; speed 7 is libvips' effort 2.
run_sized "AVIF q60: pictorand" "$ours --size none --format avif $work/photo.png"
run_sized "AVIF q60: vips" "VIPS_CONCURRENCY=1 $one vips copy $work/photo.png $work/out/photo.avif[Q=60,effort=2,subsample-mode=on]"
run_sized "AVIF q60: avifenc (floor)" "$one avifenc -j 1 -s 7 --min 25 --max 25 -y 420 $work/photo.png $work/out/photo.avif"

run_sized "JPEG XL q90: pictorand" "$ours --size none --format jxl $work/photo.png"
run_sized "JPEG XL q90: vips" "VIPS_CONCURRENCY=1 $one vips copy $work/photo.png $work/out/photo.jxl[Q=90,effort=7]"
run_sized "JPEG XL q90: cjxl (floor)" "$one cjxl --num_threads=0 -q 90 -e 7 $work/photo.png $work/out/photo.jxl"

printf '%d HEIC photos and one PNG photograph of 4000 x 3000 on one core, %d runs each\n' "$HEICS" "$RUNS"
printf '%-30s %10s %10s %12s\n' row "median s" "peak MB" "bytes"
for i in "${!names[@]}"; do
  printf '%-30s %10s %10s %12s\n' "${names[$i]}" "${seconds[$i]}" "${memory[$i]}" "${bytes[$i]}"
done
