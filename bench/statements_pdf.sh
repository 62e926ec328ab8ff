#!/usr/bin/env bash
# Measures `corvane-admin report statements` for every customer with a balance, printed as PDF,
# on generated data: 20,000 customers and 200,000 invoices over two years by default. Prints the
# time and peak memory of the generation, of the run into one PDF file and of the run into one
# PDF file per customer, with the pages and files written.
# Usage: bench/statements_pdf.sh [CUSTOMERS INVOICES]   BUILD names the build directory (build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
customers=${1:-20000}
invoices=${2:-200000}
cmake --build "$build" --parallel 2 --target supplied_data corvane-admin >/dev/null
admin="$build/app/corvane-admin"
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cp "$build"/data/* "$data"/

# Runs a command under /usr/bin/time; prints the label, wall seconds and peak memory.
measure() {
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$data/time" "$@" >/dev/null 2>"$data/errors" || {
        cat "$data/errors" >&2
        exit 1
    }
    read -r seconds kb <"$data/time"
    printf '%-34s %8.2f s %8d MB\n' "$label" "$seconds" "$((kb / 1024))"
}

measure "generate $customers/$invoices" \
    "$admin" -C "$data" generate --customers "$customers" --invoices "$invoices"
span=(--balances-only --from 2024-01-01 --to 2025-12-31)
measure "statements, one PDF" \
    "$admin" -C "$data" report statements "${span[@]}" --pdf "$data/statements.pdf"
measure "statements, a PDF per customer" \
    "$admin" -C "$data" report statements "${span[@]}" --pdf-each "$data/each"
echo "pages: $(pdfinfo "$data/statements.pdf" | awk '/^Pages:/ {print $2}')," \
    "size: $(du -m "$data/statements.pdf" | cut -f1) MB," \
    "files per customer: $(find "$data/each" -name '*.pdf' | wc -l)"
