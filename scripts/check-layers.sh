#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when an #include "..." in src/ runs against the layers, listing each such line
# (file:line: include) and their count, then any cycle between the folders.
#
#   app       -> everything
#   game      -> clock, records, platform, base
#   clock     -> base
#   records   -> platform, base
#   platform  -> base            (platform/qt/ and platform/win32/ included)
#   base      -> nothing
#
# Tests, tools, benchmarks and fuzz targets may include anything.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

find src -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) -print0 | sort -z |
    xargs -0 grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
    awk '
    BEGIN {
        allowed["app"] = "app game clock records platform base"
        allowed["game"] = "game clock records platform base"
        allowed["clock"] = "clock base"
        allowed["records"] = "records platform base"
        allowed["platform"] = "platform base"
        allowed["base"] = "base"
        bad = 0
    }
    {
        split($0, part, ":")
        file = part[1]
        line = part[2]
        text = substr($0, length(file) + length(line) + 3)
        match(text, /"[^"]*"/)
        target = substr(text, RSTART + 1, RLENGTH - 2)
        split(file, path, "/")
        from = path[2]
        # A name without a folder is beside the file (or generated, like version.h).
        if (index(target, "/") == 0) next
        split(target, to, "/")
        into = to[1]
        if (!(into in allowed)) next
        if (from != into) edge[from " " into] = 1
        if (!(from in allowed)) next
        if (index(" " allowed[from] " ", " " into " ") == 0) {
            sub(/^[[:space:]]*/, "", text)
            printf "%s:%s: %s\n", file, line, text
            ++bad
        }
    }
    END {
        # Cycles between folders: a folder that reaches itself again through its includes.
        for (e in edge) {
            split(e, ends, " ")
            reach[ends[1] " " ends[2]] = 1
            folders[ends[1]] = folders[ends[2]] = 1
        }
        for (k in folders)
            for (i in folders)
                for (j in folders)
                    if ((i " " k) in reach && (k " " j) in reach) reach[i " " j] = 1
        cycles = 0
        for (i in folders)
            for (j in folders)
                if (i < j && (i " " j) in reach && (j " " i) in reach) {
                    printf "cycle: %s <-> %s\n", i, j
                    ++cycles
                }
        printf "%d include(s) against the layers, %d folder cycle(s)\n", bad, cycles
        exit (bad || cycles) ? 1 : 0
    }'
