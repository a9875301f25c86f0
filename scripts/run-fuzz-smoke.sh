#!/usr/bin/env bash
# Builds the libFuzzer harnesses (the fuzz preset: clang, ASan + UBSan) and runs each one over its
# seed corpus in fuzz/corpus/<harness>/, then fuzzes it briefly. New inputs go to a temporary
# directory, never into the repository. Any crash, leak or sanitizer report fails the script.
#
#   scripts/run-fuzz-smoke.sh [seconds per harness, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${FUZZ_SECONDS:-20}}
build=build/fuzz

cmake --preset fuzz ${DRAFT2D_WERROR:+-DDRAFT2D_WERROR=$DRAFT2D_WERROR}
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
found=0
for harness in "$build"/fuzz/fuzz_*; do
    [ -x "$harness" ] || continue
    found=1
    name=${harness##*/fuzz_}
    corpus=fuzz/corpus/$name
    mkdir -p "$work/$name" "$work/$name-artifacts"
    echo "== $name: seed corpus"
    seeds=()
    if [ -d "$corpus" ]; then
        seeds=("$corpus")
    fi
    if ! "$harness" -runs=0 "${seeds[@]}" >"$work/$name-seeds.log" 2>&1; then
        tail -n 40 "$work/$name-seeds.log"
        status=1
        continue
    fi
    echo "== $name: fuzzing for ${seconds}s"
    if ! "$harness" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/$name-artifacts/" "$work/$name" "${seeds[@]}" >"$work/$name.log" 2>&1; then
        tail -n 40 "$work/$name.log"
        for artifact in "$work/$name-artifacts"/*; do
            [ -f "$artifact" ] && echo "failing input ($artifact):" && od -c "$artifact" | head -n 20
        done
        status=1
        continue
    fi
    grep -E '^Done|stat::number_of_executed_units' "$work/$name.log" | tail -n 1 || true
done

if [ "$found" = 0 ]; then
    echo "no fuzz harnesses were built" >&2
    exit 1
fi
exit "$status"
