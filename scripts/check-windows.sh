#!/usr/bin/env bash
# Builds draft2d as a Windows DLL with MinGW-w64 against the real <windows.h> and runs the whole
# test suite under Wine, whose GDI, USER and KERNEL are an implementation independent of ours.
# Exits non-zero when the cross-build or any Windows test fails.
#
# Usage: scripts/check-windows.sh        (the `windows` presets of CMakePresets.json, build/windows)
# Environment: DRAFT2D_WERROR (ON/OFF; default ON under CI, as for the Linux build), CTEST_ARGS
# (extra ctest arguments, e.g. "-R Kernel").
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/windows
werror=${DRAFT2D_WERROR:-$([[ -n "${CI:-}" ]] && echo ON || echo OFF)}
started=$SECONDS

step() { printf '== windows: %s (%ds)\n' "$*" $((SECONDS - started)); }

as_root() {
    if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

step "packages"
bash scripts/install-deps.sh --windows

# Wine takes its ANSI code page from the locale: zh_CN gives code page 936, so GBK face names and
# text decode as they do on a Chinese Windows. The locale may not have been generated yet.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    step "generating the zh_CN.UTF-8 locale"
    as_root localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

# GoogleTest built by the same cross compiler from Debian's sources (googletest package), installed
# where the windows preset's GTest_DIR points.
mkdir -p "$build"
gtest_prefix=$build/googletest
if [[ ! -f $gtest_prefix/lib/cmake/GTest/GTestConfig.cmake ]]; then
    step "GoogleTest for MinGW"
    cmake -S /usr/src/googletest -B "$build/googletest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$gtest_prefix" \
        -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON >"$build/googletest-configure.log" ||
        { cat "$build/googletest-configure.log"; exit 1; }
    cmake --build "$build/googletest-build" -j 2
    cmake --install "$build/googletest-build" >/dev/null
fi

step "configure"
cmake --preset windows -DDRAFT2D_WERROR="$werror" >"$build/configure.log" ||
    { cat "$build/configure.log"; exit 1; }

step "build"
# Keep going past errors, so that one run reports every file that does not compile for Windows;
# whatever did build is still tested below, and the script fails at the end.
build_ok=1
cmake --build --preset windows -j 2 -- -k 0 || build_ok=0

# Wine: no display (message boxes and crash dialogs would wait for a click; without a display
# MessageBoxA returns at once), a prefix of our own inside the build folder, module errors shown
# (plain -all hides a missing DLL: exit 53 and nothing printed), no desktop menu integration.
# The test preset sets the same variables for ctest.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all,err+module
export WINEDLLOVERRIDES=winemenubuilder.exe=d
export LC_ALL=zh_CN.UTF-8
wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
mkdir -p "$WINEPREFIX"

step "Wine prefix"
# Stop the server of our prefix (and only that one) however this script ends.
trap 'wineserver -k 2>/dev/null || true' EXIT
# A server left by an interrupted run would never let `wineserver -w` return.
wineserver -k 2>/dev/null || true
wineboot -i >"$build/wineboot.log" 2>&1 || { cat "$build/wineboot.log"; exit 1; }
wineserver -w
# Text as Windows draws it by default: smoothed in grey (font smoothing on, standard type, not
# ClearType), the way our platform layer draws text of the default quality; the text scenes of the
# picture diff compare the two.
desktop='HKCU\Control Panel\Desktop'
for setting in 'FontSmoothing /t REG_SZ /d 2' 'FontSmoothingType /t REG_DWORD /d 1' \
    'FontSmoothingGamma /t REG_DWORD /d 1000' 'FontSmoothingOrientation /t REG_DWORD /d 1'; do
    # shellcheck disable=SC2086
    "$wine" reg add "$desktop" /v $setting /f >>"$build/wineboot.log" 2>&1 ||
        { cat "$build/wineboot.log"; exit 1; }
done
wineserver -w
# A persistent server: without it every test process would start and stop one (~3 s each).
wineserver -p >/dev/null 2>&1 </dev/null
# Wine starts helper processes on demand: the system services with the first process of a server,
# the desktop process (explorer.exe /desktop) with the first window, as a message box makes. They
# inherit the standard handles of the process that started them and outlive it, so a test that
# started one would hold its output pipe open and ctest would wait for it until the test's
# time-out. Start them here, attached to nothing, and keep the desktop up with an explorer window
# for the whole run (wineserver -k ends it).
"$wine" cmd.exe /c exit >/dev/null 2>&1 </dev/null
"$wine" explorer.exe >/dev/null 2>&1 </dev/null &
desktop_up() {
    local pid
    for pid in $(pgrep -f 'explorer.exe /desktop'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
for _ in $(seq 50); do
    desktop_up && break
    sleep 0.2
done

step "tests under Wine"
tests_ok=1
# shellcheck disable=SC2086
ctest --preset windows ${CTEST_ARGS:-} || tests_ok=0

if ((!build_ok)); then
    step "FAILED: the cross-build had errors (see above)"
    exit 1
fi
if ((!tests_ok)); then
    step "FAILED: tests failed under Wine"
    exit 1
fi
step "passed"
