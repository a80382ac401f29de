#!/usr/bin/env bash
# Formats the C++ sources (*.cpp, *.h under src/, tests/ and tools/) with clang-format and the
# repository's .clang-format.
#
#   bash scripts/format.sh           reformats them in place
#   bash scripts/format.sh --check   changes nothing: lists the files whose format differs and
#                                    fails if there is any (test.sh runs this before building)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
if corvane_wants_help "$@"; then
  corvane_usage "${BASH_SOURCE[0]}"
  exit 0
fi

check=
for arg in "$@"; do
  case $arg in
    --check) check=1 ;;
    *) corvane_die "unknown option $arg (try --help)" ;;
  esac
done

command -v clang-format >/dev/null || corvane_die "clang-format is missing: bash scripts/setup.sh installs it"
cd "$CORVANE_ROOT"
mapfile -d '' files < <(find ./src ./tests ./tools -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  sort -z)
((${#files[@]} > 0)) || corvane_die "no sources found"

if [[ -z $check ]]; then
  clang-format -i --style=file "${files[@]}"
  corvane_log "formatted ${#files[@]} files"
  exit 0
fi

# clang-format names each file that differs in its errors ("FILE:LINE:COL: error: code should be
# clang-formatted"); each is listed once. Any other failure is shown as it is.
if output=$(clang-format --dry-run --Werror --style=file "${files[@]}" 2>&1 >/dev/null); then
  corvane_log "the format of ${#files[@]} files holds"
  exit 0
fi
differing=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$output" | sort -u)
[[ -n $differing ]] || corvane_die "clang-format failed: $output"
sed 's|^\./|  |' <<<"$differing" >&2
corvane_die "$(wc -l <<<"$differing") file(s) above are not formatted as .clang-format says: run bash scripts/format.sh"
