#!/usr/bin/env bash
# Times the window program's start side by side: from starting corvane on a copy of DATA_DIR to
# its main window being mapped under a virtual X server with a window manager, for program A and
# program B in turn (A B A B ...). Wall time is the clock across that span; processor time is
# what the program's threads had used when the window was mapped (their schedstat). Prints each
# pair, then the median of each and the ratio A/B of the medians.
# Usage: bench/window_start.sh CORVANE_A CORVANE_B DATA_DIR [RUNS]   (default 10 runs each)
set -euo pipefail

if [ "${1:-}" != --inside ]; then
    [ $# -ge 3 ] || { echo "usage: $0 CORVANE_A CORVANE_B DATA_DIR [RUNS]" >&2; exit 2; }
    for tool in xev openbox xdotool; do
        command -v "$tool" >/dev/null || { echo "window_start needs $tool" >&2; exit 1; }
    done
    exec xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
        bash "$0" --inside "$(realpath "$1")" "$(realpath "$2")" "$(realpath "$3")" "${4:-10}"
fi

a=$2
b=$3
runs=$5
scratch=$(mktemp -d)
openbox &
wm=$!
trap 'kill "$wm" 2>/dev/null; rm -rf "$scratch"' EXIT
cp -r "$4" "$scratch/data"
sleep 1

# The root window's children, mapped and unmapped, as they come.
coproc XEV { exec stdbuf -oL xev -root -event substructure; }
sleep 0.5

# Nanoseconds of processor time the threads of process $1 have used.
cpu_ns() {
    local total=0 task used
    for task in /proc/"$1"/task/*/schedstat; do
        read -r used _ <"$task" || continue
        total=$((total + used))
    done
    echo "$total"
}

# Starts program $1 and prints the wall and processor milliseconds to its window's map.
one_start() {
    local line start end cpu
    start=$(date +%s%N)
    "$1" "$scratch/data" >/dev/null 2>&1 &
    local pid=$!
    while read -r line <&"${XEV[0]}"; do
        case $line in MapNotify*) break ;; esac
    done
    end=$(date +%s%N)
    cpu=$(cpu_ns "$pid")
    # The window mapped is the main window, titled before it is shown.
    xdotool search --onlyvisible --name '^Corvane$' >/dev/null ||
        { echo "the window mapped is not Corvane's main window ($1)" >&2; kill "$pid"; exit 1; }
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    # What the closing window sent is read away before the next start.
    while read -r -t 0.3 line <&"${XEV[0]}"; do :; done
    echo "$(((end - start) / 1000)) $((cpu / 1000))"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

one_start "$a" >/dev/null
one_start "$b" >/dev/null
: >"$scratch/a"
: >"$scratch/b"
echo "run   A wall ms  A cpu ms   B wall ms  B cpu ms"
for i in $(seq "$runs"); do
    read -r aw ac < <(one_start "$a")
    read -r bw bc < <(one_start "$b")
    echo "$aw $ac" >>"$scratch/a"
    echo "$bw $bc" >>"$scratch/b"
    awk -v i="$i" -v aw="$aw" -v ac="$ac" -v bw="$bw" -v bc="$bc" \
        'BEGIN {printf "%3d %10.1f %9.1f %11.1f %9.1f\n", i, aw / 1000, ac / 1000, bw / 1000, bc / 1000}'
done
aw=$(cut -d' ' -f1 "$scratch/a" | median)
ac=$(cut -d' ' -f2 "$scratch/a" | median)
bw=$(cut -d' ' -f1 "$scratch/b" | median)
bc=$(cut -d' ' -f2 "$scratch/b" | median)
awk -v aw="$aw" -v ac="$ac" -v bw="$bw" -v bc="$bc" -v a="$a" -v b="$b" 'BEGIN {
    printf "median A %s: wall %.1f ms, cpu %.1f ms\n", a, aw / 1000, ac / 1000
    printf "median B %s: wall %.1f ms, cpu %.1f ms\n", b, bw / 1000, bc / 1000
    printf "A/B: wall %.2fx, cpu %.2fx\n", aw / bw, ac / bc
}'
