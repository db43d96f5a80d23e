#!/usr/bin/env bash
# Replays the shared corpus, the regression files and the tests' fixtures through every
# fuzz target built with AddressSanitizer and UndefinedBehaviorSanitizer; any report
# fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-replay}
inputs=(fuzz/regressions)
[ -d ../shared/corpus ] && inputs+=(../shared/corpus) || echo "shared corpus not found; replaying regression files only"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for target in "$build"/fuzz/fuzz_*; do
  "$target" "${inputs[@]}"
done
