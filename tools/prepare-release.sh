#!/usr/bin/env bash
# Installs what is missing, builds Corvane in Release into build-release/ (the targets named,
# or everything), and prepares DATA_DIR holding the supplied tables when it does not exist yet.
# Usage: tools/prepare-release.sh DATA_DIR [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=$1
shift
bash "$root/tools/deps.sh"
build="$root/build-release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
if [ ! -e "$data" ]; then
    mkdir -p "$data"
    cp "$build"/data/* "$data"/
    echo "Prepared a new data directory: $data"
fi
