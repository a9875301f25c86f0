#!/usr/bin/env bash
# Installs the library from a build tree into a temporary prefix and builds a program against the
# installed package both ways a host would: CMake's find_package(draft2d) and pkg-config. Runs both
# (scripts/consumer/main.cpp, the README's hosting example, checks its own picture).
#
#   scripts/check-package.sh [build dir, default build/release]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" > "$work/install.log"
echo "== installed to a temporary prefix: $(find "$prefix" -type f | wc -l) files"

echo "== consumer through find_package(draft2d)"
cmake -S scripts/consumer -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" > "$work/cmake.log"
cmake --build "$work/cmake" > "$work/cmake-build.log"
(cd "$work" && ./cmake/consumer)

echo "== consumer through pkg-config"
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig:$(dirname "$(find "$prefix" -name draft2d.pc | head -n 1)")"
c++ -std=c++17 -Wall -Wextra -Werror scripts/consumer/main.cpp -o "$work/consumer-pc" \
    $(pkg-config --cflags --libs draft2d) -Wl,-rpath,"$(pkg-config --variable=libdir draft2d)"
(cd "$work" && ./consumer-pc)
