#!/usr/bin/env bash
# How scripts/lib.sh reads a ctest run given --repeat until-pass:2 for the tests that needed a
# second try: only those that failed (or timed out) and then passed, in the order they ran;
# neither those that passed at once nor those that failed every time.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# expect NAME LOG-LINES WANTED-LINE: the line printed for a log of these lines.
expect() {
  printf '%s\n' "$2" >"$work/$1.log"
  local got
  got=$(corvane_second_tries_line "$work/$1.log")
  [[ $got == "$3" ]] || fail "$1: got \"$got\", expected \"$3\""
}

expect "all passed at once" "Test project /build/native
    Start 1: unit.A
1/2 Test #1: unit.A ...........   Passed    0.01 sec
    Start 2: unit.B
2/2 Test #2: unit.B ...........   Passed    0.20 sec

100% tests passed, 0 tests failed out of 2" \
  "needed a second try: none"

expect "retried, steady and broken" "    Start 1: e2e.Menu.Opens
1/5 Test #1: e2e.Menu.Opens ...............***Failed    2.00 sec
[  FAILED  ] Menu.Opens (Test #7: the menu did not show)

    Start 1: e2e.Menu.Opens
    Test #1: e2e.Menu.Opens ...............   Passed    1.50 sec
    Start 2: unit.Steady
2/5 Test #2: unit.Steady ..................   Passed    0.01 sec
    Start 3: unit.Broken
3/5 Test #3: unit.Broken ..................***Failed    0.01 sec

    Start 3: unit.Broken
    Test #3: unit.Broken ..................***Failed    0.01 sec
    Start 4: e2e-linux.Ways/MenuClose.ByEscape/TheLinkLabel
4/5 Test #4: e2e-linux.Ways/MenuClose.ByEscape/TheLinkLabel ...***Timeout 300.01 sec

    Start 4: e2e-linux.Ways/MenuClose.ByEscape/TheLinkLabel
    Test #4: e2e-linux.Ways/MenuClose.ByEscape/TheLinkLabel ...   Passed    3.00 sec
    Start 5: e2e.Hung
5/5 Test #5: e2e.Hung ...............***Timeout 300.01 sec

    Start 5: e2e.Hung
    Test #5: e2e.Hung ...............***Timeout 300.01 sec

60% tests passed, 2 tests failed out of 5

The following tests FAILED:
	  3 - unit.Broken (Failed)
	  5 - e2e.Hung (Timeout)" \
  "needed a second try: e2e.Menu.Opens, e2e-linux.Ways/MenuClose.ByEscape/TheLinkLabel"

expect "skipped, at once or on the second try" "    Start 1: e2e-linux.DropAndPaste.ABitmap
1/2 Test #1: e2e-linux.DropAndPaste.ABitmap ...***Skipped   0.51 sec
    Start 2: e2e.Pictures.Kinds/Tiff
2/2 Test #2: e2e.Pictures.Kinds/Tiff ..........***Failed    0.30 sec

    Start 2: e2e.Pictures.Kinds/Tiff
    Test #2: e2e.Pictures.Kinds/Tiff ..........***Skipped   0.20 sec" \
  "needed a second try: e2e.Pictures.Kinds/Tiff"

expect "no test ran" "No tests were found!!!" "needed a second try: none"

echo "second tries: all cases hold"
