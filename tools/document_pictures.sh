#!/usr/bin/env bash
# Prints an invoice with the logo and letterhead, and a statement of two pages, into PDF files
# and turns their pages into PNG pictures, to look at the documents a customer receives without
# a printer. The data are generated in a scratch directory; the logo is drawn for the run.
# Usage: tools/document_pictures.sh [OUT_DIR]   (default: document-pictures in the build directory)
# BUILD names the build directory to use (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
out=${1:-$build/document-pictures}
mkdir -p "$out"
out=$(cd "$out" && pwd)
bash "$root/tools/deps.sh"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --parallel 2 --target supplied_data corvane-admin sample-letterhead
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cp "$build"/data/* "$data"/
admin="$build/app/corvane-admin"
# Few customers with many invoices, so that a statement runs over a page.
"$admin" -C "$data" generate --customers 4 --invoices 240 >/dev/null
convert -size 300x150 xc:white -fill '#1f4e79' -draw 'roundrectangle 6,6 294,144 24,24' \
    -fill white -pointsize 56 -gravity center -annotate +0+0 'HLH' "$data/logo.png"
"$build/tools/sample-letterhead" "$data" "$data/logo.png" 2
"$admin" -C "$data" report invoices --invoices 12 --pdf "$out/invoice.pdf"
"$admin" -C "$data" report statements --customers 2 --pdf "$out/statement.pdf"
rm -f "$out"/invoice-*.png "$out"/statement-*.png
pdftoppm -png -r 90 "$out/invoice.pdf" "$out/invoice"
pdftoppm -png -r 90 "$out/statement.pdf" "$out/statement"
echo "Wrote $out/invoice.pdf, $out/statement.pdf and:"
ls "$out"/*.png
