#!/usr/bin/env bash
# Takes a screenshot of the main window: builds Corvane in Release (like tools/run.sh), starts
# it under a virtual X server on a fresh data directory holding the supplied tables, waits for
# the splash to end, and saves the whole screen as a PNG.
# Usage: tools/screenshot.sh [OUTPUT.png]   (default: corvane-main-window.png here)
# CORVANE_BUILD names an already configured build directory to use instead of build-release.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-corvane-main-window.png}")
bash "$root/tools/deps.sh"
build=${CORVANE_BUILD:-}
if [ -z "$build" ]; then
    build="$root/build-release"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" --target corvane supplied_data

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cp "$build"/data/* "$data"/
cd "$data"
export CORVANE_PROGRAM="$build/app/corvane" CORVANE_SHOT="$out"
xvfb-run --auto-servernum --server-args="-screen 0 800x600x24" bash -c '
    "$CORVANE_PROGRAM" &
    program=$!
    sleep 5
    import -window root "$CORVANE_SHOT"
    kill "$program"
    wait "$program" || true
'
echo "Saved $out"
