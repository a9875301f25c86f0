#!/usr/bin/env bash
# A fuzzing campaign: builds the libFuzzer harnesses (the fuzz preset: clang, ASan + UBSan) and runs
# every harness for MINUTES, one after the other, then prints a table of executions, executions a
# second, coverage, corpus size and findings.
#
#   scripts/fuzz-campaign.sh MINUTES [harness ...]      e.g.  scripts/fuzz-campaign.sh 10
#                                                             scripts/fuzz-campaign.sh 0.5 view_api
#
# Each harness keeps its corpus in build/fuzz-campaign/corpus/<harness>/ (seeded from
# fuzz/corpus/<harness>/, which is only read), so a later campaign goes on from where this one
# ended; the repository is never written. A harness that crashes, leaks, runs out of memory or
# times out is started again on its corpus for the rest of its time; every failing input it left is
# a finding, kept in build/fuzz-campaign/findings/<harness>/ with its log. The script fails when
# there was any finding.
#
# Environment:
#   FUZZ_BIN      directory of already built fuzz_* harnesses (skips the build), e.g. to measure
#                 another build the same way
#   FUZZ_WORK     where corpora, findings and logs go (default build/fuzz-campaign)
#   FUZZ_MAX_LEN  the longest input (default 4096), FUZZ_TIMEOUT seconds per input (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+([.][0-9]+)?$ ]]; then
    echo "usage: $0 MINUTES [harness ...]" >&2
    exit 2
fi
minutes=$1
shift
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60 + 0.5); print (s < 1 ? 1 : s) }')

if [ -z "${FUZZ_BIN:-}" ]; then
    cmake --preset fuzz ${DRAFT2D_WERROR:+-DDRAFT2D_WERROR=$DRAFT2D_WERROR} >/dev/null
    cmake --build --preset fuzz
    bin=build/fuzz/fuzz
else
    bin=$FUZZ_BIN
fi
work=${FUZZ_WORK:-build/fuzz-campaign}
max_len=${FUZZ_MAX_LEN:-4096}
timeout=${FUZZ_TIMEOUT:-10}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

harnesses=()
if [ $# -gt 0 ]; then
    for name in "$@"; do
        harnesses+=("$bin/fuzz_$name")
    done
else
    for harness in "$bin"/fuzz_*; do
        [ -x "$harness" ] && harnesses+=("$harness")
    done
fi
if [ ${#harnesses[@]} -eq 0 ]; then
    echo "no fuzz harnesses in $bin" >&2
    exit 1
fi

# Sums the statistics of the runs of one harness from their logs: executions, seconds, the last
# coverage and features reported.
summarise() {
    awk '
        /^stat::number_of_executed_units:/ { execs += $2 }
        /^#[0-9]+/ {
            for (i = 1; i < NF; ++i) {
                if ($i == "cov:") cov = $(i + 1)
                if ($i == "ft:") ft = $(i + 1)
            }
        }
        END { printf "%d %s %s\n", execs, (cov == "" ? 0 : cov), (ft == "" ? 0 : ft) }
    ' "$@"
}

rows=()
total_findings=0
for harness in "${harnesses[@]}"; do
    name=${harness##*/fuzz_}
    if [ ! -x "$harness" ]; then
        echo "no harness $harness" >&2
        exit 1
    fi
    corpus=$work/corpus/$name
    findings=$work/findings/$name
    logs=$work/logs/$name
    mkdir -p "$corpus" "$findings" "$logs"
    rm -f "$logs"/run-*.log
    seeds=()
    [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
    before=$(find "$findings" -maxdepth 1 -type f ! -name '*.log' | wc -l)

    echo "== $name: ${seconds}s" >&2
    start=$(date +%s)
    run=0
    while :; do
        elapsed=$(($(date +%s) - start))
        left=$((seconds - elapsed))
        [ "$left" -ge 1 ] || break
        run=$((run + 1))
        log=$logs/run-$run.log
        status=0
        "$harness" -max_total_time="$left" -max_len="$max_len" -timeout="$timeout" -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
        if [ "$status" -eq 0 ]; then
            break
        fi
        newest=$(ls -t "$findings" 2>/dev/null | grep -v '\.log$' | head -n 1 || true)
        if [ -z "$newest" ]; then
            echo "$name: the harness failed without leaving an input (exit $status):" >&2
            tail -n 20 "$log" >&2
            break
        fi
        cp "$log" "$findings/$newest.log"
        echo "$name: finding $findings/$newest" >&2
        grep -m 1 -E 'ERROR: |runtime error|deadly signal|Timeout|out-of-memory' "$log" >&2 || true
        [ "$run" -lt 50 ] || break
    done
    duration=$(($(date +%s) - start))
    [ "$duration" -ge 1 ] || duration=1
    read -r execs cov ft < <(summarise "$logs"/run-*.log)
    size=$(find "$corpus" -maxdepth 1 -type f | wc -l)
    after=$(find "$findings" -maxdepth 1 -type f ! -name '*.log' | wc -l)
    found=$((after - before))
    total_findings=$((total_findings + found))
    rows+=("$(printf '%-12s %12d %10d %8d %8d %8d %9d' "$name" "$execs" $((execs / duration)) "$cov" "$ft" "$size" "$found")")
done

echo
echo "fuzz campaign: ${minutes} minute(s) per harness, corpora in $work/corpus"
printf '%-12s %12s %10s %8s %8s %8s %9s\n' harness executions exec/s cov ft corpus findings
for row in "${rows[@]}"; do
    echo "$row"
done
[ "$total_findings" -eq 0 ] || {
    echo "findings: $total_findings (inputs and logs in $work/findings/)"
    exit 1
}
