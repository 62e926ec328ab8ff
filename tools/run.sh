#!/usr/bin/env bash
# Installs what is missing, builds Corvane in Release, prepares a data directory holding the
# supplied tables when it has none yet, and starts the program in it.
# Usage: tools/run.sh [DATA_DIR]   (default: run-data beside the sources)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=${1:-"$root/run-data"}
bash "$root/tools/deps.sh"
build="$root/build-release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
if [ ! -e "$data" ]; then
    mkdir -p "$data"
    cp "$build"/data/* "$data"/
    echo "Prepared a new data directory: $data"
fi
exec "$build/app/corvane" "$data"
