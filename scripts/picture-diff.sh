#!/usr/bin/env bash
# The picture diff: the scenes of tests/pictures drawn by our platform layer (the Linux build) against
# the same scenes drawn by the system's GDI (the Windows build under Wine, whose suite writes them to
# build/windows/test-output/pictures/system). Run after scripts/check-windows.sh. Prints the pixels
# that differ per scene and fails when a scene is outside its tolerance; a side-by-side picture of each
# scene that differs goes to build/release/test-output/pictures/diff/.
#
# Environment: DRAFT2D_PICTURES_SYSTEM (the folder of the system's pictures, default above).
set -euo pipefail
cd "$(dirname "$0")/.."
system=${DRAFT2D_PICTURES_SYSTEM:-$PWD/build/windows/test-output/pictures/system}
if [[ ! -d $system ]]; then
    echo "picture diff: no pictures of the system in $system (run scripts/check-windows.sh first)" >&2
    exit 1
fi
if ! log=$(cmake --build --preset release --target test_pictures 2>&1); then
    echo "$log" >&2
    exit 1
fi
DRAFT2D_PICTURES_SYSTEM=$system build/release/tests/test_pictures --gtest_filter='Scenes/Pictures.Diff/*' \
    --gtest_brief=1
