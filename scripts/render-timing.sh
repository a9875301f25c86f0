#!/usr/bin/env bash
# Times draft2d-render on the sample sheet and on a generated script of 100,000 entities (lines,
# circles, arcs, rectangles and polylines of every line type and fill), and prints the peak memory
# the tool reports (--stats).
#
#   scripts/render-timing.sh [build dir, default build/release] [entities, default 100000]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${2:-100000}
render=$build/tools/draft2d-render

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== the sample sheet"
"$render" data/sample.d2d -q --stats -o "$work/sample.png" -o "$work/sample.pdf" 2>&1 | grep -v 'not drawn' || true

echo "== a generated script of $count entities"
awk -v n="$count" 'BEGIN {
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
}' > "$work/big.d2d"
"$render" "$work/big.d2d" -q --stats -o "$work/big.png" -o "$work/big.pdf" 2>&1
