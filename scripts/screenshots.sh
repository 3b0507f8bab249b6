#!/usr/bin/env bash
# Renders every desktop window into PNG files under a virtual X server, for
# looking at before a change to the windows is called done: first each
# dialog and the graph window on its own, then the program itself started
# as it starts for a user, with the bundled example job loaded and run
# (main window before, during and after a run).
#   scripts/screenshots.sh [OUTPUT_FOLDER]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

out="${1:-build/screenshots}"
build=build/test

./scripts/setup.sh
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON -DVANTREL_SANITIZE=ON
fi
cmake --build "$build" --target ui_screenshots desktop_screenshots

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/*.png
# The X libraries keep a few allocations for the life of the process.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1600x1000x24" "$build/tests/ui/ui_screenshots" "$out"

# The example job writes its output files into the folder the program runs in.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && xvfb-run -a -s "-screen 0 1600x1000x24" "$root/$build/tests/ui/desktop_screenshots" "$out")
echo "Pictures in $out"
