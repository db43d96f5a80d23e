#!/usr/bin/env bash
# Replays the shared corpus, the seeds, the regression files and the tests' fixtures through every
# fuzz target built with AddressSanitizer and UndefinedBehaviorSanitizer; any report
# fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-replay}
inputs=(fuzz/regressions fuzz/seeds)
[ -d ../shared/corpus ] && inputs+=(../shared/corpus) || echo "shared corpus not found; replaying regression files only"
# Under the targets' raster cap no sound file needs a single block of 512 MB, so a file
# that makes a reader ask for one fails here as it fails under the fuzzers.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:max_allocation_size_mb=512
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp
for target in "$build"/fuzz/fuzz_*; do
  "$target" "${inputs[@]}"
done
