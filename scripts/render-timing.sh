#!/usr/bin/env bash
# Times draft2d-render on generated scripts (lines, circles, arcs, rectangles and polylines of every
# line type and fill) of growing size: for each size and output format one run of the tool, which
# reads the script and draws that one format, with --stats. Prints per size the reading (wall and
# processor seconds, microseconds a row), the drawing per format, and the peak memory after reading
# and while drawing, with bytes an entity, so that growth can be read off as linear or not.
#
#   scripts/render-timing.sh [build dir, default build/release] [entity counts, default 10000 100000 1000000]
#
# Environment: RUNS (runs of each measurement, the median is printed; default 1), FORMATS (default
# "png pdf svg"), PAGE_LIMIT (PDF and SVG are drawn only up to this many entities, default 100000:
# a page keeps every path until it is written, and a million of them take minutes and gigabytes).
# On a machine others share, compare processor seconds rather than wall seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
shift || true
counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(10000 100000 1000000)
runs=${RUNS:-1}
formats=(${FORMATS:-png pdf svg})
page_limit=${PAGE_LIMIT:-100000}
render=$build/tools/draft2d-render

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

generate() { # count file
    awk -v n="$1" 'BEGIN {
        srand(16);
        print "units,m,1000";
        print "paper,A1";
        print "grid,50,style=dots";
        fills[0] = "none"; fills[1] = "solid"; fills[2] = "cross"; fills[3] = "fdiagonal";
        for (i = 0; i < n; i++) {
            x = rand() * 820; y = rand() * 580; k = i % 5;
            lt = (i % 7 == 0) ? ",ltype=" (2 + i % 14) : "";
            if (k == 0) printf "line,%.2f,%.2f,%.2f,%.2f%s\n", x, y, x + rand() * 20, y + rand() * 20, lt;
            else if (k == 1) printf "circle,%.2f,%.2f,%.2f,fill=%s%s\n", x, y, 0.5 + rand() * 5, fills[i % 4], lt;
            else if (k == 2) printf "arc,%.2f,%.2f,%.2f,%.1f,%.1f%s\n", x, y, 1 + rand() * 5, rand() * 360, 30 + rand() * 200, lt;
            else if (k == 3) printf "rect,%.2f,%.2f,%.2f,%.2f,%.1f,fill=%s\n", x, y, 1 + rand() * 8, 1 + rand() * 8, rand() * 90, fills[i % 4];
            else printf "polyline,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f%s\n", x, y, x + 3, y + 4, x + 6, y, x + 9, y + 4, lt;
        }
    }' > "$2"
}

# The median of the numbers on stdin.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run: prints "readWall readCpu readPeak drawWall drawCpu drawPeak".
measure() { # script output
    local stats read draw
    stats=$("$render" "$1" -q --stats -o "$2" 2>&1 >/dev/null)
    read=$(sed -nE 's/.* read in ([0-9.]+) s \(processor ([0-9.]+) s.*peak memory ([0-9.]+) MiB$/\1 \2 \3/p' <<<"$stats")
    draw=$(sed -nE 's/.* written in ([0-9.]+) s \(processor ([0-9.]+) s\); peak memory ([0-9.]+) MiB$/\1 \2 \3/p' <<<"$stats")
    echo "$read $draw"
}

printf '%-9s %-22s %-9s %-18s %-7s %s\n' entities "read s (processor)" "us/row" "draw s (processor)" format "peak MiB after reading / drawing (bytes/entity)"
for n in "${counts[@]}"; do
    generate "$n" "$work/s$n.d2d"
    for f in "${formats[@]}"; do
        if [[ $f != png && $n -gt $page_limit ]]; then
            printf '%-9s %-22s %-9s %-18s %-7s %s\n' "$n" - - "(not drawn: PAGE_LIMIT)" "$f" -
            continue
        fi
        : > "$work/m"
        for ((r = 0; r < runs; r++)); do
            measure "$work/s$n.d2d" "$work/out.$f" >> "$work/m"
        done
        col() { awk -v c="$1" '{ print $c }' "$work/m" | median; }
        rw=$(col 1) rc=$(col 2) rp=$(col 3) dw=$(col 4) dc=$(col 5) dp=$(col 6)
        awk -v n="$n" -v rw="$rw" -v rc="$rc" -v rp="$rp" -v dw="$dw" -v dc="$dc" -v dp="$dp" -v f="$f" 'BEGIN {
            printf "%-9d %-22s %-9.2f %-18s %-7s %.1f / %.1f (%.0f / %.0f)\n", n, sprintf("%.3f (%.3f)", rw, rc),
                rc * 1e6 / n, sprintf("%.3f (%.3f)", dw, dc), f, rp, dp, rp * 1048576 / n, dp * 1048576 / n }'
    done
done
