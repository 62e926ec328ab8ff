#!/usr/bin/env bash
# Prints the product listing of a generated data directory into a PDF file and turns its first
# page into a PNG picture, to look at printed reports without a printer.
# Usage: tools/report_picture.sh [OUT_DIR]   (default: report-picture in the build directory)
# BUILD names the build directory to use (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
out=${1:-$build/report-picture}
mkdir -p "$out"
out=$(cd "$out" && pwd)
bash "$root/tools/deps.sh"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --parallel 2 --target supplied_data corvane-admin
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cp "$build"/data/* "$data"/
"$build/app/corvane-admin" -C "$data" generate --customers 60 --invoices 300 >/dev/null
"$build/app/corvane-admin" -C "$data" report product-listing --pdf "$out/product-listing.pdf"
pdftoppm -png -r 110 -f 1 -l 1 "$out/product-listing.pdf" "$out/product-listing"
echo "Wrote $out/product-listing.pdf and $(ls "$out"/product-listing*.png)"
