#!/usr/bin/env bash
# One list of sources converted by three GNU parallel workers, each taking shards of ten
# lines through --files-from -, gives exactly the files of one run over the whole list:
# with names kept from the sources, and with running numbers offset by the shard.
# Usage: parallel_shards_test.sh PICTORAND_CLI
set -euo pipefail
cli=$1
command -v parallel > /dev/null || { echo "GNU parallel is not installed; skipping"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"

# 30 small 24-bit bitmaps of different colours.
bmp() {  # bmp FILE BLUE GREEN RED: a 4 x 4 picture of one colour
  local pixel row
  pixel=$(printf '\\x%02x\\x%02x\\x%02x' "$2" "$3" "$4")
  row="$pixel$pixel$pixel$pixel"
  {
    printf 'BM\x66\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00'
    printf '\x28\x00\x00\x00\x04\x00\x00\x00\x04\x00\x00\x00\x01\x00\x18\x00'
    printf '\x00\x00\x00\x00\x30\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf "$row$row$row$row"
  } > "$1"
}
for i in $(seq 1 30); do bmp "$work/in/s$(printf %02d "$i").bmp" $((i * 8)) $((255 - i * 8)) $((i * 3)); done
ls "$work"/in/*.bmp > "$work/list"

# Names kept from the sources: any split is safe.
"$cli" -o "$work/one" -f png -s pixels:2 --naming keep --files-from "$work/list" 2> /dev/null
parallel --pipe -N 10 -j 3 "'$cli' -o '$work/sharded' -f png -s pixels:2 --naming keep --files-from - --report '$work/report-{#}.jsonl' 2> /dev/null" < "$work/list"
diff -r "$work/one" "$work/sharded"
[ "$(cat "$work"/report-*.jsonl | grep -c '"outcome":"written"')" -eq 30 ]

# Running numbers: shard N of ten lines starts at from:(N - 1) x 10 + 1.
"$cli" -o "$work/numbered-one" -f png -s pixels:2 --naming from:1 --files-from "$work/list" 2> /dev/null
parallel --pipe -N 10 -j 3 "'$cli' -o '$work/numbered-sharded' -f png -s pixels:2 --naming from:\$(( ({#} - 1) * 10 + 1 )) --files-from - 2> /dev/null" < "$work/list"
diff -r "$work/numbered-one" "$work/numbered-sharded"
[ "$(ls "$work/numbered-sharded" | wc -l)" -eq 30 ]
echo "30 sources in shards of 10 over 3 workers: the same files as one run"
