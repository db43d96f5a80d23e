#!/usr/bin/env bash
# Runs libFuzzer targets for SECONDS seconds each, seeded from the shared test corpus and,
# for the formats it lacks, from the small files in fuzz/seeds.
# Usage: run.sh [SECONDS] [TARGET...]; with no targets every one is run in turn.
# The full fuzzer output of each target is kept in build-fuzz/logs/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-60}
shift || true
corpus=../shared/corpus
declare -A seeds=(
  [bmp]="bmpsuite" [png]="pngsuite" [gif]="gif-test-suite" [jpeg]="pillow/jpeg image-rs/images/jpg"
  [tiff]="pillow/tiff libtiff" [tga]="pillow/tga image-rs/images/tga kimageformats/tga" [pcx]="pcx-rs kimageformats/pcx pillow/pcx"
  [psd]="psd-tools kimageformats/psd pillow/psd" [psp]="exiftool" [wmf]="wmf2svg dtformats" [settings]="" [roundtrip]="pngsuite bmpsuite"
  [metadata]="exiftool pillow/jpeg pngsuite kimageformats/psd"
  [heif]="" [webp]="" [jxl]="" [raw]="libtiff"
)
declare -A dictionaries=([bmp]=bmp [png]=png [gif]=gif [jpeg]=jpeg [tiff]=tiff [psd]=psd [psp]=psp [wmf]=wmf [settings]=settings [roundtrip]=png)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${!seeds[@]}")
mkdir -p build-fuzz/logs
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp
for target in "${targets[@]}"; do
  [ -v "seeds[$target]" ] || { echo "unknown fuzz target: $target" >&2; exit 2; }
  work=build-fuzz/corpus/$target
  mkdir -p "$work" "fuzz/regressions/$target"
  dirs=("$work" "fuzz/regressions/$target")
  [ -d "fuzz/seeds/$target" ] && dirs+=("fuzz/seeds/$target")
  for s in ${seeds[$target]}; do [ -d "$corpus/$s" ] && dirs+=("$corpus/$s"); done
  options=(-max_total_time="$SECONDS_PER_TARGET" -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=10 -max_len=1048576
           -artifact_prefix="fuzz/regressions/$target/")
  dict=${dictionaries[$target]:-}
  [ -n "$dict" ] && options+=(-dict="fuzz/dictionaries/$dict.dict")
  echo "== $target"
  log=build-fuzz/logs/$target.log
  status=0
  ./build-fuzz/fuzz/fuzz_"$target" "${options[@]}" "${dirs[@]}" >"$log" 2>&1 || status=$?
  grep -E '^#[0-9]+.*(DONE|pulse)|ERROR|SUMMARY' "$log" | tail -3
  [ $status -eq 0 ] || { echo "fuzz_$target stopped with status $status; see $log" >&2; exit $status; }
done
