#!/usr/bin/env bash
# The Wine prefix lock of scripts/lib.sh: two scripts never hold one prefix at once; the second
# waits and gets it when the first ends, even when the first leaves a process behind (as a
# wineserver it started outlives it) or is killed; a script may take its own lock again; and
# corvane_unlock_prefixes hands the prefix on at once. No Wine is needed: the lock is taken
# beside a prefix that need not exist.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work=$(mktemp -d)
holders=()
cleanup() {
  local pid
  for pid in "${holders[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export CORVANE_WINEPREFIX="$work/prefix"
log="$work/log"
: >"$log"

fail() {
  echo "FAIL: $*" >&2
  echo "--- log ---" >&2
  cat "$log" >&2
  exit 1
}

# Waits up to 20 s for the log to hold the line $1.
await_line() {
  local deadline=$((SECONDS + 20))
  until grep -qx "$1" "$log"; do
    ((SECONDS < deadline)) || fail "no \"$1\" within 20 s"
    sleep 0.05
  done
}

# A script that takes the prefix, says so, leaves a process of its own behind (without the
# lock's descriptor, it must not keep the prefix), and ends once told to ($work/end-$name), or
# hands the prefix on first when $2 is "unlock".
holder() {
  local name=$1 mode=${2:-}
  bash -c '
    source "$1/scripts/lib.sh"
    corvane_lock_prefix
    corvane_lock_prefix   # again: a script may ask for its own lock twice
    echo "$2 in" >>"$3"
    (exec sleep 60 </dev/null >/dev/null 2>&1) &
    echo $! >"$4/child-$2"
    [[ $5 == unlock ]] && corvane_unlock_prefixes && echo "$2 unlocked" >>"$3"
    while [[ ! -e $4/end-$2 ]]; do sleep 0.05; done
    echo "$2 out" >>"$3"
  ' holder "$root" "$name" "$log" "$work" "$mode" 2>>"$work/stderr-$name" &
  holders+=($!)
}

# --- a second script waits for the first, which leaves a process behind ----------------------
holder A
await_line "A in"
holder B
sleep 1.5
grep -qx "B in" "$log" && fail "B took the prefix while A held it"
grep -q "waiting for the Wine prefix" "$work/stderr-B" || fail "B did not say what it waits for"
touch "$work/end-A"
await_line "A out"
await_line "B in"
kill -0 "$(cat "$work/child-A")" || fail "A's leftover process should still run"
touch "$work/end-B"
await_line "B out"

# --- a killed script lets go -------------------------------------------------------------------
holder C
await_line "C in"
holder D
sleep 1
grep -qx "D in" "$log" && fail "D took the prefix while C held it"
kill -KILL "${holders[-2]}"
wait "${holders[-2]}" 2>/dev/null || true
await_line "D in"
touch "$work/end-D"
await_line "D out"

# --- a script that hands the prefix on ---------------------------------------------------------
holder E unlock
await_line "E unlocked"
holder F
await_line "F in"
grep -qx "E out" "$log" && fail "E should still run"
touch "$work/end-E" "$work/end-F"
await_line "F out"

for name in A B C D E; do
  [[ -f $work/child-$name ]] && kill "$(cat "$work/child-$name")" 2>/dev/null || true
done
echo "prefix lock: all cases hold"
