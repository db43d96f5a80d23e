#!/usr/bin/env bash
# Converts every picture of the shared corpus with two builds of pictorand-cli, under
# every output format and several settings, and compares the outputs byte for byte,
# with the outcome lines beside them. For a reshaping that must not change a byte:
#   scripts/compare-outputs.sh OLD-CLI NEW-CLI [CORPUS]
set -uo pipefail
old=$(realpath "$1") new=$(realpath "$2") corpus=$(realpath "${3:-$(dirname "$0")/../../shared/corpus}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$corpus" -type f ! -name '*.md' ! -name '*.txt' ! -name '*.conf' ! -name '*.rgba' | sort > "$work/list"
echo "$(wc -l < "$work/list") files from $corpus"
settings=(
  "--format jpg --size pixels:100"
  "--format bmp --size none"
  "--format gif --size percent:50 --filter box"
  "--format tga --size pixels:64 --filter mitchell"
  "--format tif --size custom:40x30 --filter bell"
  "--format png --size pixels:120 --keep-metadata"
  "--format pcx --size mm:20 --filter b-spline"
  "--format ico"
  "--format wmf --size pixels:50"
  "--format jpg --size pixels:100 --exact"
  "--format png --size none --exact"
  "--format png --size pixels:90 --sampling centre --linear --shrink-on-load"
  "--format jpg --size pixels:80 --no-auto-orient --no-icc --no-alpha --background black"
)
differ=0
for i in "${!settings[@]}"; do
  for build in old new; do
    cli=${!build}
    mkdir -p "$work/$build$i"
    (cd "$work/$build$i" && "$cli" -o out --jobs 2 --naming number --overwrite always ${settings[$i]} --files-from "$work/list" \
      2> ../$build$i.log > /dev/null)
  done
  if diff -rq "$work/old$i" "$work/new$i" > /dev/null && diff -q "$work/old$i.log" "$work/new$i.log" > /dev/null; then
    echo "same:    ${settings[$i]} ($(ls "$work/new$i/out" | wc -l) outputs)"
  else
    differ=1
    echo "DIFFERS: ${settings[$i]}"
    diff -rq "$work/old$i" "$work/new$i" | head -5
    diff "$work/old$i.log" "$work/new$i.log" | head -10
  fi
done
exit $differ
