#!/usr/bin/env bash
# Lines of C and C++ (.cpp, .h, .c) under src/ and tests/ that are neither blank nor a
# whole-line // comment, and the ratio of tests to source (the house limit is 50%).
#   tools/linecount.sh          totals
#   tools/linecount.sh -v       and per file, largest first
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
files() { git ls-files -- "$1" | grep -E '\.(cpp|h|c)$'; }
lines() { grep -cvE '^\s*(//.*)?$' "$1" || true; }
total() {
    local sum=0 f
    for f in $(files "$1"); do sum=$((sum + $(lines "$f"))); done
    echo "$sum"
}
if [ "${1:-}" = -v ]; then
    for f in $(files src) $(files tests); do printf '%6d %s\n' "$(lines "$f")" "$f"; done | sort -rn
fi
src=$(total src)
tests=$(total tests)
echo "src $src  tests $tests  ratio $((100 * tests / src))% (limit 50%)"
