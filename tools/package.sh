#!/usr/bin/env bash
# Builds the Debian package corvane_VERSION_amd64.deb in Release into build-package/ and copies it
# beside the sources: both programs and the mail module, the help pages, the supplied tables, the desktop entry and
# icon, the AppStream metainfo and the manual pages. Installs what building needs first.
# Usage: tools/package.sh [BUILD_DIR]   (default: build-package beside the sources)
# With BUILD_DIR, an existing build of any type is packaged as it is configured (the package
# test does so with the build of the tests) and the package stays in BUILD_DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=(corvane corvane-admin mail_module supplied_data help_pages package_files)
if [ $# -ge 1 ]; then
    build=$(realpath "$1")
else
    bash "$root/tools/deps.sh"
    build="$root/build-package"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
fi
args=()
for target in "${targets[@]}"; do args+=(--target "$target"); done
cmake --build "$build" --parallel "$(nproc)" "${args[@]}"
(cd "$build" && cpack -G DEB -B "$build/packages" >/dev/null)
deb=$(ls "$build"/packages/corvane_*_amd64.deb)
if [ $# -eq 0 ]; then
    cp "$deb" "$root/"
    deb="$root/$(basename "$deb")"
fi
echo "$deb"
