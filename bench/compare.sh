#!/usr/bin/env bash
# Times a 6000 x 4000 -> 800-pixel Lanczos reduction of one BMP with pictorand-cli,
# single-threaded ImageMagick and libvips; several runs, medians, peak memory, and the
# ratios of the peers' times to ours. Installs the peers it needs. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS=${RUNS:-5}
need=()
command -v convert >/dev/null || need+=(imagemagick)
command -v vips >/dev/null || need+=(libvips-tools)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}"
fi

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPICTORAND_BUILD_BENCH=ON -DPICTORAND_BUILD_TESTS=OFF \
  -DPICTORAND_BUILD_GUI=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target pictorand-cli >/dev/null
cli=$PWD/build-bench/src/cli/pictorand-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A photograph-like input: smooth gradients with fine noise.
convert -size 6000x4000 gradient:'#203060-#e0c090' -attenuate 0.4 +noise Gaussian -type TrueColor BMP3:"$work/in.bmp"

# Runs a command RUNS times; prints the median seconds and the largest peak RSS in MB.
measure() {
  local times=() peak=0 t rss
  for _ in $(seq "$RUNS"); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>&1
    read -r t rss < "$work/time"
    times+=("$t")
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (RUNS + 1) / 2 ))p")" "$((peak / 1024))"
}

declare -A seconds memory
run() {
  local name=$1; shift
  read -r seconds[$name] memory[$name] < <(measure "$@")
}
run pictorand "$cli" --output-dir "$work/out" --size pixels:800 --filter lanczos3 --format bmp --naming keep "$work/in.bmp"
run convert-1thread convert -limit thread 1 "$work/in.bmp" -filter Lanczos -resize 800x800 "$work/out/im.bmp"
run vips-resize vips resize "$work/in.bmp" "$work/out/vips.v" 0.13333333
printf '%-18s %10s %10s %14s\n' tool "median s" "peak MB" "time / ours"
for name in pictorand convert-1thread vips-resize; do
  printf '%-18s %10s %10s %14s\n' "$name" "${seconds[$name]}" "${memory[$name]}" \
    "$(awk -v a="${seconds[$name]}" -v b="${seconds[pictorand]}" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
done
