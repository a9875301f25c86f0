#!/usr/bin/env bash
# Line coverage that a fuzz corpus reaches: builds a harness with source-based coverage and no
# sanitizers (the fuzz-coverage preset, build/fuzz-coverage), runs every input of the corpus once
# (-runs=0) and reports, with llvm-cov, the line coverage of the library's sources by directory and
# by file.
#
#   scripts/fuzz-coverage.sh [harness] [corpus dir ...]
#       harness  default view_api
#       corpus   default the campaign's corpus build/fuzz-campaign/corpus/<harness> (when it exists)
#                and the seed corpus fuzz/corpus/<harness>
#
# Directories reported: DRAFT2D_COVERAGE_DIRS (default "view linetype symbol text"), under src/.
# The merged profile and the full report are left in build/fuzz-coverage/report/<harness>/.
set -euo pipefail
cd "$(dirname "$0")/.."

harness=${1:-view_api}
shift || true
corpora=("$@")
if [ ${#corpora[@]} -eq 0 ]; then
    [ -d "build/fuzz-campaign/corpus/$harness" ] && corpora+=("build/fuzz-campaign/corpus/$harness")
    [ -d "fuzz/corpus/$harness" ] && corpora+=("fuzz/corpus/$harness")
fi
if [ ${#corpora[@]} -eq 0 ]; then
    echo "no corpus for $harness" >&2
    exit 1
fi
dirs=${DRAFT2D_COVERAGE_DIRS:-view linetype symbol text}

cmake --preset fuzz-coverage >/dev/null
cmake --build --preset fuzz-coverage --target "fuzz_$harness"

build=build/fuzz-coverage
out=$build/report/$harness
rm -rf "$out"
mkdir -p "$out/profiles"
# One profile per process (%p); -runs=0 only executes the inputs, it never writes into a corpus
# (an input that fails is written to the report directory).
LLVM_PROFILE_FILE="$out/profiles/%p.profraw" "$build/fuzz/fuzz_$harness" -runs=0 -artifact_prefix="$out/" "${corpora[@]}" \
    >"$out/replay.log" 2>&1 || {
    tail -n 20 "$out/replay.log" >&2
    exit 1
}
llvm-profdata merge -sparse "$out"/profiles/*.profraw -o "$out/merged.profdata" 2>"$out/merge.log"

library=$(readlink -f "$build/src/libdraft2d.so")
llvm-cov report "$library" -instr-profile="$out/merged.profdata" >"$out/files.txt"
llvm-cov export -summary-only "$library" -instr-profile="$out/merged.profdata" >"$out/summary.json"

inputs=$(grep -E '^#[0-9]+.*(INITED|DONE)' "$out/replay.log" | tail -n 1 | sed -E 's/.*corp: ([0-9]+).*/\1/')
echo "line coverage of the library by ${inputs:-?} inputs of ${corpora[*]}:"
# Files are named as the compiler saw them (relative to the build directory when ccache rewrote
# them): they are matched by their src/<directory>/ part.
python3 - "$out/summary.json" $dirs <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))["data"][0]["files"]
dirs = sys.argv[2:]
total = [0, 0]
print("%-12s %8s %8s %8s" % ("directory", "lines", "covered", "cover"))
for d in dirs:
    key = "src/" + d + "/"
    lines = covered = 0
    for f in data:
        if key in f["filename"].replace("\\", "/"):
            lines += f["summary"]["lines"]["count"]
            covered += f["summary"]["lines"]["covered"]
    total[0] += lines
    total[1] += covered
    print("%-12s %8d %8d %7.1f%%" % (d, lines, covered, 100.0 * covered / lines if lines else 0))
print("%-12s %8d %8d %7.1f%%" % ("together", total[0], total[1], 100.0 * total[1] / total[0] if total[0] else 0))
PY
echo "per file: $out/files.txt"
