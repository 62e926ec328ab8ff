#!/usr/bin/env bash
# Times the sales, income and customer reports from the command line, to plain text, over a
# year of a large generated business (by default 20,000 customers and 200,000 invoices, about
# 900,000 items). Each report is run REPEAT times (default 3) and the best wall-clock time is
# printed, with the report's size. The whole run of corvane-admin is timed: start-up, the index
# check, reading the settings, building the report and writing the file.
# Usage: bench/sales_reports.sh [DATA_DIR]
#   DATA_DIR  a directory generated before (kept); without it one is generated in a scratch
#             directory and removed afterwards.
# BUILD names the build directory (default: build); CUSTOMERS, INVOICES and REPEAT the sizes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
customers=${CUSTOMERS:-20000}
invoices=${INVOICES:-200000}
repeat=${REPEAT:-3}
admin=$build/app/corvane-admin
[ -x "$admin" ] || { echo "build corvane-admin first" >&2; exit 1; }

out=$(mktemp -d)
trap 'rm -rf "$out" ${scratch:+"$scratch"}' EXIT
if [ $# -ge 1 ]; then
    data=$(cd "$1" && pwd)
else
    scratch=$(mktemp -d)
    data=$scratch
    cp "$build"/data/* "$data"/
    "$admin" -C "$data" generate --customers "$customers" --invoices "$invoices" | tail -1
fi

year=(--from 2025-01-01 --to 2025-12-31)
first_product=$("$admin" -C "$data" report product-summary "${year[@]}" --tab "$out/p.asc" \
                >/dev/null && awk -F'\t' '$1 ~ /^[A-Z]+-[0-9]+$/ { print $1; exit }' "$out/p.asc")
runs=(
    "sales-summary ${year[*]}"
    "product-summary ${year[*]}"
    "product-buyers --product $first_product ${year[*]}"
    "daily-income ${year[*]}"
    "receivables --as-of 2025-12-31"
    "tax-summary ${year[*]}"
    "profile --groups 1"
)
printf '%-18s %10s %8s\n' report seconds lines
for run in "${runs[@]}"; do
    read -r -a args <<<"$run"
    best=""
    for ((i = 0; i < repeat; i++)); do
        start=$(date +%s.%N)
        "$admin" -C "$data" report "${args[@]}" --text "$out/report.txt" >/dev/null
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc)
        if [ -z "$best" ] || [ "$(echo "$took < $best" | bc)" = 1 ]; then best=$took; fi
    done
    printf '%-18s %10.3f %8d\n' "${args[0]}" "$best" "$(wc -l <"$out/report.txt")"
done
