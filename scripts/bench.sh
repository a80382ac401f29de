#!/usr/bin/env bash
# Measures Corvane under Wine: how long a start takes until its window is on the screen, and
# the memory the process holds then, for the help panel and for a large saved picture.
#
#   bash scripts/bench.sh [runs]       default 5 runs per case; prints the median of each
#
# Needs what scripts/test.sh installs; runs on a private Xvfb and stops what it started.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
exec </dev/null

runs=${1:-5}
bash "$CORVANE_ROOT/scripts/setup.sh"
corvane_build_preset windows

work=$(mktemp -d)
cleanup() {
  corvane_stop_wineserver
  corvane_stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
corvane_start_xvfb
corvane_prepare_prefix
corvane_start_wineserver

cp "$CORVANE_ROOT/build/windows/Corvane.exe" "$work/"
convert -size 4000x3000 gradient:navy-gold "bmp3:$work/large.bmp"

# A settings record: left and top in twips, the path's length, then the path (plain ASCII here).
write_settings() {
  perl -e 'print pack("l< l< S<", 1500, 1500, length $ARGV[0]), $ARGV[0]' "$1" >"$work/corvane.ini"
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

measure() {
  local name=$1 geometry=$2 i start pid rss times=() sizes=()
  for ((i = 0; i < runs; i++)); do
    [[ $name == help ]] && rm -f "$work/corvane.ini"
    [[ $name == large ]] && write_settings "Z:${work//\//\\}\\large.bmp"
    start=$(date +%s%N)
    (cd "$work" && exec wine Corvane.exe) &
    pid=$!
    until xwininfo -root -children 2>/dev/null | grep -q "\"Corvane Standard  v0.02\".*$geometry"; do
      sleep 0.005
    done
    times+=($((($(date +%s%N) - start) / 1000000)))
    rss=$(awk '/VmRSS/ { print $2 }' "/proc/$pid/status")
    sizes+=($((rss / 1024)))
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  done
  printf '%-28s start to window %5s ms   resident memory %4s MiB\n' "$name ($geometry)" \
    "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${sizes[@]}" | median)"
}

printf 'Corvane.exe: %s bytes; median of %s runs\n' "$(stat -c %s "$work/Corvane.exe")" "$runs"
measure help 464x343
measure large 4000x3000
