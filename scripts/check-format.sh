#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format (the repo's .clang-format) makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format --dry-run --Werror
echo "format: all files clean"
