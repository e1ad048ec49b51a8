#!/bin/sh
# Prints the include graph between the code folders, one "from -> to" edge a line, and fails
# when it has a cycle. graphics/graphics_state.h is a node of its own: mesh/ and material/ read
# the graphics record through it, and it must lead back to nothing that includes them.
set -eu
cd "$(dirname "$0")/.."
files=$(find app time graphics mesh material resources formats platform tools -type f \
        \( -name '*.h' -o -name '*.c' -o -name '*.cpp' -o -name '*.rc' \) 2>/dev/null | sort)
[ -n "$files" ] || { echo "no sources found" >&2; exit 1; }
# A quoted include is looked up beside the including file, then from the top of the tree, then
# (bare names, as the tools use them) by file name anywhere; what is not found is not ours.
edges=$(awk -v list="$files" '
    function node(p, a) {
        if (p == "graphics/graphics_state.h") return p
        split(p, a, "/"); return a[1] == "tools" ? a[1] "/" a[2] : a[1]
    }
    BEGIN {
        n = split(list, all, "\n")
        for (i = 1; i <= n; i++) { have[all[i]] = 1; b = all[i]; sub(/.*\//, "", b); byName[b] = all[i] }
    }
    /^[ \t]*#[ \t]*include[ \t]*"/ {
        split($0, part, "\""); name = part[2]; dir = FILENAME; sub(/[^\/]*$/, "", dir)
        if ((dir name) in have) target = dir name
        else if (name in have) target = name
        else if (name !~ /\// && name in byName) target = byName[name]
        else next
        if (node(FILENAME) != node(target)) print node(FILENAME), node(target)
    }' $files | sort -u)
printf '%s\n' "$edges" | sed 's/ / -> /'
printf '%s\n' "$edges" | tsort >/dev/null
