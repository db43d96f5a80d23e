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
  cmake --build build-bench -j "$(nproc)" --target pictorand-cli inflate_floor >/dev/null
  cli=$PWD/build-bench/src/cli/pictorand-cli
  inflate_floor=$PWD/build-bench/bench/inflate_floor
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

names=() seconds=() memory=() quality=()
# run NAME COMMAND [QUALITY_COMMAND SOURCES]: measures the command and keeps a row; the
# first row is ours. With a quality command (one that writes PNGs into $work/out), it is
# run once more and the row gets the median and worst PSNR of its outputs against a
# Lanczos reduction of the whole decode of SOURCES (bench/quality.py); each file's PSNR is
# kept in $work/psnr-ROW, ROW counting the table's rows from 0.
run() {
  local s m q="- -"
  read -r s m < <(measure "$2")
  if [ -n "${3:-}" ]; then
    rm -rf "$work/out" && mkdir -p "$work/out"
    bash -c "$3" >/dev/null 2>&1
    q=$(/usr/bin/python3 bench/quality.py "$4" "$work/out" "$work/psnr-${#names[@]}")
  fi
  names+=("$1") seconds+=("$s") memory+=("$m") quality+=("$q")
}

# Prints the rows with each time's ratio to the first row's, and the PSNR where measured;
# then forgets them for the next table.
print_table() {
  printf '%-58s %9s %8s %11s %14s\n' tool "median s" "peak MB" "time / ours" "PSNR med/worst"
  local i
  for i in "${!names[@]}"; do
    printf '%-58s %9s %8s %11s %14s\n' "${names[$i]}" "${seconds[$i]}" "${memory[$i]}" \
      "$(awk -v a="${seconds[$i]}" -v b="${seconds[0]}" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')" "${quality[$i]/ //}"
  done
  names=() seconds=() memory=() quality=()
}
