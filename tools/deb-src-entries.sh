#!/usr/bin/env bash
# Prints, as deb822 stanzas, the deb-src twins of the machine's own apt entries for one release
# (its codename and codename-updates), so that source packages come from the same archive as
# the binary ones. Prints nothing when no entry serves that release.
#   tools/deb-src-entries.sh CODENAME [SOURCES-DIR]
set -euo pipefail
codename=${1:?codename}
dir=${2:-/etc/apt}
[ -n "$codename" ] || exit 0

emit() { # uris suites components signed-by
    local suites=() s
    for s in $2; do
        case "$s" in "$codename" | "$codename-updates") suites+=("$s") ;; esac
    done
    [ ${#suites[@]} -gt 0 ] || return 0
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n' "$1" "${suites[*]}" "$3"
    [ -z "$4" ] || printf 'Signed-By: %s\n' "$4"
    printf '\n'
}

# deb822 files: one stanza a paragraph.
for f in "$dir"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
        {
            types = uris = suites = comps = signed = ""; enabled = 1
            for (i = 1; i <= NF; i++) {
                line = $i
                if (line ~ /^[ \t]*#/) continue
                key = tolower(line); sub(/:.*/, "", key)
                val = line; sub(/^[^:]*:[ \t]*/, "", val)
                if (key == "types") types = val
                else if (key == "uris") uris = val
                else if (key == "suites") suites = val
                else if (key == "components") comps = val
                else if (key == "signed-by") signed = val
                else if (key == "enabled" && tolower(val) == "no") enabled = 0
            }
            if (enabled && (" " types " ") ~ / deb / && uris != "")
                printf "%s\t%s\t%s\t%s\n", uris, suites, comps, signed
        }' "$f"
done | while IFS=$'\t' read -r uris suites comps signed; do
    emit "$uris" "$suites" "$comps" "$signed"
done

# One-line lists: deb [options] uri suite components...
for f in "$dir"/sources.list "$dir"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -E 's/#.*//' "$f" | awk '$1 == "deb" {
            signed = ""; i = 2
            if ($2 ~ /^\[/) {
                while (i <= NF) {
                    if ($i ~ /signed-by=/) { signed = $i; sub(/.*signed-by=/, "", signed); sub(/\]$/, "", signed) }
                    if ($i ~ /\]$/) { i++; break }
                    i++
                }
            }
            uri = $i; suite = $(i + 1); comps = ""
            for (j = i + 2; j <= NF; j++) comps = comps (comps == "" ? "" : " ") $j
            printf "%s\t%s\t%s\t%s\n", uri, suite, comps, signed
        }'
done | while IFS=$'\t' read -r uri suite comps signed; do
    emit "$uri" "$suite" "$comps" "$signed"
done
