#!/usr/bin/env bash
# Makes the about box's picture of a real result: runs the bundled example
# job (1 keV Ar on Cu(100)) in the desktop program's windows, offscreen,
# and saves the graph window's picture 250 fs into the first run as
# app/resources/example_result.png, which the program builds in.
#   scripts/example-picture.sh [SYMBOL [TIME_FS [PROJECTION]]]
#   (defaults: icons 250 xz; symbols icons, circles, points; projections xz, xy, yz)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build/test

./scripts/setup.sh
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON -DVANTREL_SANITIZE=ON
fi
cmake --build "$build" --target desktop_screenshots

# The job writes its output files into the current folder.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p app/resources
cd "$work"
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" QT_QPA_PLATFORM=offscreen \
  "$root/$build/tests/ui/desktop_screenshots" --example-picture "$root/app/resources/example_result.png" "$@"
echo "Rebuild the program to take the new picture in."
