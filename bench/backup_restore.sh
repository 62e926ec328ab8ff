#!/usr/bin/env bash
# Times corvane-admin backup DIR and restore DIR over a large generated business (by default
# 20,000 customers and 200,000 invoices, about 900,000 items). A backup copies the eleven table
# and memo files, makes each copy durable and reads it back to compare size and checksum; a
# restore copies them into the staging directory the same way, checks the staged tables, moves
# them in and re-creates every index group. The reindex alone is timed too, to tell the two
# parts of a restore apart. Each command runs REPEAT times (default 3); the best wall-clock time
# is printed with the processor time of that run.
# Usage: bench/backup_restore.sh
# BUILD names the build directory (default: build); CUSTOMERS, INVOICES and REPEAT the sizes.
set -euo pipefail
# It restores into the data directory, so the business is always generated afresh.
set --
source "$(dirname "$0")/business.sh"
backup=$out/backup
mkdir "$backup"
echo "data directory: $(du -sh "$data" | cut -f1); copied files: $(cat "$data"/*.db[ft] | wc -c) bytes"

# best WALL USER+SYS of REPEAT runs of the command
best() {
    local label=$1
    shift
    local best_wall="" best_cpu=""
    for _ in $(seq "$repeat"); do
        /usr/bin/time -f "%e %U %S" -o "$out/time" "$@" >/dev/null 2>&1
        read -r wall user sys <"$out/time"
        local cpu
        cpu=$(echo "$user + $sys" | bc)
        if [ -z "$best_wall" ] || (( $(echo "$wall < $best_wall" | bc) )); then
            best_wall=$wall
            best_cpu=$cpu
        fi
    done
    printf '%-28s %6.2f s wall  %6.2f s processor\n' "$label" "$best_wall" "$best_cpu"
}

best "backup" "$admin" -C "$data" backup "$backup"
best "restore (with reindex)" "$admin" -C "$data" restore "$backup"
best "reindex alone" "$admin" -C "$data" reindex
"$admin" -C "$data" check | tail -1
