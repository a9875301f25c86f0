#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the fuzzers need.
# Safe to run again: packages already present are skipped.
# Usage: scripts/install-deps.sh [--windows]   (--windows adds the MinGW-w64 cross compiler and Wine)
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  libgtest-dev libbenchmark-dev
  pkg-config libcairo2-dev libfontconfig-dev libfreetype-dev
  fonts-arphic-uming fonts-wqy-zenhei fonts-liberation2
  poppler-utils librsvg2-bin libxml2-utils
  libsdl2-dev xvfb xauth
  linux-perf
)
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine googletest locales)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
