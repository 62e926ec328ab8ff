#!/usr/bin/env bash
# Times the sales, income and customer reports from the command line, to plain text, over a
# year of a large generated business (by default 20,000 customers and 200,000 invoices, about
# 900,000 items). Each report is run REPEAT times (default 3); the best wall-clock time and the
# best processor time (user + system) are printed, with the report's size. The whole run of
# corvane-admin is timed: start-up, the index check, reading the settings, building the report
# and writing the file. On a shared machine the processor time is the steadier figure.
# Usage: bench/sales_reports.sh [DATA_DIR]
#   DATA_DIR  a directory generated before (kept); without it one is generated in a scratch
#             directory and removed afterwards.
# BUILD names the build directory (default: build); CUSTOMERS, INVOICES and REPEAT the sizes.
set -euo pipefail
source "$(dirname "$0")/business.sh"

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
# The smaller of two decimal numbers.
least() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

printf '%-18s %8s %8s %8s\n' report wall cpu lines
for run in "${runs[@]}"; do
    read -r -a args <<<"$run"
    wall=""
    cpu=""
    for ((i = 0; i < repeat; i++)); do
        /usr/bin/time -f '%e %U %S' -o "$out/time" \
            "$admin" -C "$data" report "${args[@]}" --text "$out/report.txt" >/dev/null
        read -r e u s <"$out/time"
        wall=$(least "$wall" "$e")
        cpu=$(least "$cpu" "$(echo "$u + $s" | bc)")
    done
    printf '%-18s %8.2f %8.2f %8d\n' "${args[0]}" "$wall" "$cpu" "$(wc -l <"$out/report.txt")"
done
