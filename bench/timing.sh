# Shared by the timing scripts: installs the peers a script compares against, builds
# pictorand-cli in release mode, and measures commands into a table. Expects RUNS and a
# scratch folder in $work; measured commands write into $work/out, emptied before each run.

# Arguments are COMMAND:PACKAGE pairs; the packages of missing commands are installed.
install_peers() {
  local need=() pair
  for pair in "$@"; do
    command -v "${pair%%:*}" >/dev/null || need+=("${pair#*:}")
  done
  [ -x /usr/bin/time ] || need+=(time)
  if [ ${#need[@]} -gt 0 ]; then
    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}"
  fi
}

# Builds the command-line tool and sets $cli to it.
build_cli() {
  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPICTORAND_BUILD_BENCH=ON -DPICTORAND_BUILD_TESTS=OFF \
    -DPICTORAND_BUILD_GUI=OFF >/dev/null
  cmake --build build-bench -j "$(nproc)" --target pictorand-cli >/dev/null
  cli=$PWD/build-bench/src/cli/pictorand-cli
}

# Runs a shell command RUNS times; prints the median seconds and the largest peak RSS in MB.
measure() {
  local times=() peak=0 t rss
  for _ in $(seq "$RUNS"); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    /usr/bin/time -f '%e %M' -o "$work/time" bash -c "$1" >/dev/null 2>&1
    read -r t rss < "$work/time"
    times+=("$t")
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (RUNS + 1) / 2 ))p")" "$((peak / 1024))"
}

names=() seconds=() memory=()
# run NAME COMMAND: measures the command and keeps a row; the first row is ours.
run() {
  local s m
  read -r s m < <(measure "$2")
  names+=("$1") seconds+=("$s") memory+=("$m")
}

# Prints the rows with each time's ratio to the first row's.
print_table() {
  printf '%-26s %10s %10s %14s\n' tool "median s" "peak MB" "time / ours"
  local i
  for i in "${!names[@]}"; do
    printf '%-26s %10s %10s %14s\n' "${names[$i]}" "${seconds[$i]}" "${memory[$i]}" \
      "$(awk -v a="${seconds[$i]}" -v b="${seconds[0]}" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
  done
}
