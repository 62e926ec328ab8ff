#!/usr/bin/env bash
# Times the aging report against the receivables report from the command line, to plain text,
# on the same day over a large generated business (by default 20,000 customers and 200,000
# invoices). Each is run REPEAT times (default 3); the best wall-clock and processor times (user
# + system) of the whole command are printed, with the aging's times over the receivables' as
# the ratios. The aging reads the payments after the day besides the invoices and the
# customers; the receivables report reads the invoices and the customers.
# Usage: bench/aging.sh [DATA_DIR]
#   DATA_DIR  a directory generated before (kept); without it one is generated in a scratch
#             directory and removed afterwards.
# BUILD names the build directory (default: build); CUSTOMERS, INVOICES, REPEAT and AS_OF (the
# day, default 2025-12-31) the sizes and the day.
set -euo pipefail
as_of=${AS_OF:-2025-12-31}
source "$(dirname "$0")/business.sh"

# The smaller of two decimal numbers.
least() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

printf '%-12s %8s %8s %8s\n' report wall cpu lines
declare -A walls cpus
for name in receivables aging; do
    wall=""
    cpu=""
    for ((i = 0; i < repeat; i++)); do
        /usr/bin/time -f '%e %U %S' -o "$out/time" \
            "$admin" -C "$data" report "$name" --as-of "$as_of" --text "$out/$name.txt" >/dev/null
        read -r e u s <"$out/time"
        wall=$(least "$wall" "$e")
        cpu=$(least "$cpu" "$(echo "$u + $s" | bc)")
    done
    walls[$name]=$wall
    cpus[$name]=$cpu
    printf '%-12s %8.2f %8.2f %8d\n' "$name" "$wall" "$cpu" "$(wc -l <"$out/$name.txt")"
done
printf 'aging / receivables: wall %.2f, cpu %.2f\n' \
    "$(echo "scale=4; ${walls[aging]} / ${walls[receivables]}" | bc)" \
    "$(echo "scale=4; ${cpus[aging]} / ${cpus[receivables]}" | bc)"
