#!/usr/bin/env bash
# Runs every bench_* program of a build directory with a short minimum time and prints the results,
# then one table of every goal the programs measured ("@goal" lines: label, median, lowest and highest
# round, goal, unit) with the machine's load.
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

goals=$(mktemp)
trap 'rm -f "$goals"' EXIT

status=0
for program in "${programs[@]}"; do
    name=$(basename "$program")
    echo "== $name"
    if ! "$program" --benchmark_min_time="$min_time" --benchmark_color="$color" |
        while IFS= read -r line; do
            if [[ $line == @goal$'\t'* ]]; then
                printf '%s\t%s\n' "$name" "${line#@goal$'\t'}" >>"$goals"
            else
                printf '%s\n' "$line"
            fi
        done; then
        echo "!! $name failed" >&2
        status=1
    fi
    echo
done

echo "== goals (median of the rounds, lowest-highest round; load: $(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-22s %-44s %9s %19s %9s  %s\n' program measure median rounds goal result
while IFS=$'\t' read -r program label median lo hi goal unit; do
    result=met
    awk -v m="$median" -v g="$goal" 'BEGIN { exit !(m > g) }' && result="NOT met"
    printf '%-22s %-44s %7s %s %8s-%-8s %7s %s  %s\n' "$program" "$label" "$median" "$unit" "$lo" "$hi" \
        "<= $goal" "$unit" "$result"
done <"$goals"
exit $status
