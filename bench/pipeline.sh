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

need=()
command -v convert >/dev/null || need+=(imagemagick)
command -v vipsthumbnail >/dev/null || need+=(libvips-tools)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}"
fi
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPICTORAND_BUILD_BENCH=ON -DPICTORAND_BUILD_TESTS=OFF \
  -DPICTORAND_BUILD_GUI=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target pictorand-cli >/dev/null
cli=$PWD/build-bench/src/cli/pictorand-cli

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

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# Runs a command RUNS times into a fresh output folder; prints median seconds and peak MB.
measure() {
  local times=() peak=0 t rss
  for _ in $(seq "$RUNS"); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    /usr/bin/time -f '%e %M' -o "$work/time" bash -c "$1" >/dev/null 2>&1
    read -r t rss < "$work/time"
    times+=("$t")
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | median)" "$((peak / 1024))"
}

names=() seconds=() memory=()
run() {
  local s m
  read -r s m < <(measure "$2")
  names+=("$1") seconds+=("$s") memory+=("$m")
}
threads=$(nproc)
ours="$cli --output-dir $work/out --size pixels:800 --filter lanczos3 --naming keep --overwrite always"
run "pictorand --jobs 1" "$ours --jobs 1 --format jpg --quality 85 $work/jpg && $ours --jobs 1 --format png $work/png"
run "pictorand --jobs $threads" "$ours --jobs $threads --format jpg --quality 85 $work/jpg && $ours --jobs $threads --format png $work/png"
im="-filter Lanczos -resize 800x800 -path $work/out"
run "mogrify 1 thread" "mogrify -limit thread 1 $im -quality 85 -format jpg $work/jpg/*.jpg && mogrify -limit thread 1 $im -format png $work/png/*.png"
run "mogrify $threads threads" "mogrify $im -quality 85 -format jpg $work/jpg/*.jpg && mogrify $im -format png $work/png/*.png"
run "vips resize" "for f in $work/jpg/*.jpg; do vips resize \"\$f\" $work/out/\$(basename \"\$f\")[Q=85] 0.2; done; for f in $work/png/*.png; do vips resize \"\$f\" $work/out/\$(basename \"\$f\") 0.2; done"
run "vipsthumbnail" "vipsthumbnail -s 800 -o $work/out/%s.jpg[Q=85] $work/jpg/*.jpg && vipsthumbnail -s 800 -o $work/out/%s.png $work/png/*.png"

printf '%d JPEGs and %d PNGs of 4000 x 3000, %d runs each\n' "$JPEGS" "$PNGS" "$RUNS"
printf '%-26s %10s %10s %14s\n' tool "median s" "peak MB" "time / ours"
for i in "${!names[@]}"; do
  printf '%-26s %10s %10s %14s\n' "${names[$i]}" "${seconds[$i]}" "${memory[$i]}" \
    "$(awk -v a="${seconds[$i]}" -v b="${seconds[0]}" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
done
