#!/usr/bin/env bash
# Runs every bench_* program of a build directory with a short minimum time and prints the results.
# Usage: scripts/run-benchmarks.sh BUILD_DIR   (BENCH_MIN_TIME overrides the time per benchmark, s)
set -euo pipefail

if [[ $# -ne 1 || ! -d "$1" ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build_dir=$1
min_time=${BENCH_MIN_TIME:-0.05}

mapfile -t programs < <(find "$build_dir" -type f -name 'bench_*' -perm -u+x ! -name '*.*' | sort)
if [[ ${#programs[@]} -eq 0 ]]; then
    echo "no bench_* programs under $build_dir (configure with -DDRAFT2D_BUILD_BENCH=ON and build)" >&2
    exit 1
fi

# Colour escapes only for a terminal.
color=true
[[ -t 1 ]] || color=false

status=0
for program in "${programs[@]}"; do
    echo "== $(basename "$program")"
    if ! "$program" --benchmark_min_time="$min_time" --benchmark_color="$color"; then
        echo "!! $(basename "$program") failed" >&2
        status=1
    fi
    echo
done
exit $status
