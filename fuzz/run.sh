#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS seconds, seeded from the shared test corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-60}
corpus=../shared/corpus
declare -A seeds=(
  [bmp]="bmpsuite" [png]="pngsuite" [gif]="gif-test-suite" [jpeg]="pillow/jpeg image-rs/images/jpg"
  [tiff]="pillow/tiff libtiff" [tga]="pillow/tga image-rs/images/tga kimageformats/tga" [pcx]="pcx-rs kimageformats/pcx pillow/pcx"
  [psd]="psd-tools kimageformats/psd pillow/psd" [psp]="exiftool" [wmf]="wmf2svg dtformats" [settings]="" [roundtrip]="pngsuite bmpsuite"
)
declare -A dictionaries=([bmp]=bmp [png]=png [gif]=gif [jpeg]=jpeg [tiff]=tiff [psd]=psd [psp]=psp [wmf]=wmf [roundtrip]=png)
for target in "${!seeds[@]}"; do
  work=build-fuzz/corpus/$target
  mkdir -p "$work" "fuzz/regressions/$target"
  dirs=("$work" "fuzz/regressions/$target")
  for s in ${seeds[$target]}; do [ -d "$corpus/$s" ] && dirs+=("$corpus/$s"); done
  options=(-max_total_time="$SECONDS_PER_TARGET" -rss_limit_mb=2048 -timeout=10 -max_len=1048576
           -artifact_prefix="fuzz/regressions/$target/")
  dict=${dictionaries[$target]:-}
  [ -n "$dict" ] && options+=(-dict="fuzz/dictionaries/$dict.dict")
  echo "== $target"
  ./build-fuzz/fuzz/fuzz_"$target" "${options[@]}" "${dirs[@]}" 2>&1 | grep -E '^#[0-9]+.*(DONE|pulse)|ERROR|SUMMARY' | tail -3
done
