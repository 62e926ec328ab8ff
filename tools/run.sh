#!/usr/bin/env bash
# Installs what is missing, builds Corvane in Release, prepares a data directory holding the
# supplied tables when it has none yet, and starts the program in it.
# Usage: tools/run.sh [DATA_DIR]   (default: run-data beside the sources)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=${1:-"$root/run-data"}
bash "$root/tools/prepare-release.sh" "$data"
exec "$root/build-release/app/corvane" "$data"
