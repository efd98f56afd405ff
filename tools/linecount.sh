#!/usr/bin/env bash
# Non-blank, non-comment lines of C++ (.cpp and .h) under src/ and tests/, and their ratio.
#   tools/linecount.sh          totals
#   tools/linecount.sh -v       per file, largest first
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
count() { # file: drops // and /* */ comments (outside string literals well enough for this tree)
    perl -0777 -ne 's{/\*.*?\*/}{}gs; s{(^|[^:"\\])//[^\n]*}{$1}g; print scalar(grep { /\S/ } split /\n/)' "$1"
}
total() {
    local sum=0 n f
    while IFS= read -r f; do
        n=$(count "$f")
        sum=$((sum + n))
        [ "${verbose:-}" ] && printf '%6d %s\n' "$n" "$f" >&2
    done < <(find "$1" -name '*.cpp' -o -name '*.h' | sort)
    echo "$sum"
}
[ "${1:-}" = -v ] && verbose=1
src=$(total src 2>/dev/null)
tests=$(total tests 2> >(sort -rn >&2))
sleep 0.1
echo "src $src  tests $tests  ratio $((100 * tests / src))% (limit 50%)"
