#!/usr/bin/env bash
# Times the window program's start side by side: from starting corvane on a copy of DATA_DIR
# under a virtual X server with a window manager until it has shown and painted its main window
# and waits for input, for program A and program B in turn (A B A B ...). Its threads' processor
# time (their schedstat) is read every two milliseconds; the start is over when it stops growing
# (below), the main window is on the screen and the splash has gone. The wall time holds the
# splash's fixed least time (1.728 s), so the processor time is the figure to compare.
# Prints each pair, then the median of each and the ratio A/B of the medians.
# Usage: bench/window_start.sh CORVANE_A CORVANE_B DATA_DIR [RUNS]   (default 10 runs each)
set -euo pipefail

if [ "${1:-}" != --inside ]; then
    [ $# -ge 3 ] || { echo "usage: $0 CORVANE_A CORVANE_B DATA_DIR [RUNS]" >&2; exit 2; }
    for tool in openbox xdotool dbus-run-session; do
        command -v "$tool" >/dev/null || { echo "window_start needs $tool" >&2; exit 1; }
    done
    # A session bus of its own, as a desktop has: without one the first use of D-Bus would start
    # a bus daemon from inside the program.
    exec dbus-run-session -- xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
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

# Sets cpu to the nanoseconds of processor time the threads of process $1 have used.
read_cpu() {
    local task used
    cpu=0
    for task in /proc/"$1"/task/*/schedstat; do
        read -r used _ <"$task" 2>/dev/null || continue
        cpu=$((cpu + used))
    done
}


# A file descriptor to wait on, so that the loop below sleeps without starting a process.
exec {pause}<> <(:)

# Starts program $1 and prints the wall and processor microseconds to its start's end: the last
# moment its processor time grew by half a millisecond or more before it stayed under that for
# 150 ms (what it uses while it waits, a poll now and then, is not its start).
one_start() {
    local start now cpu markTime markCpu=0
    start=${EPOCHREALTIME/./}
    "$1" "$scratch/data" >/dev/null 2>&1 &
    local pid=$!
    markTime=$start
    while :; do
        read -r -t 0.002 -u "$pause" || true
        kill -0 "$pid" 2>/dev/null || { echo "$1 ended before its window came up" >&2; exit 1; }
        read_cpu "$pid"
        now=${EPOCHREALTIME/./}
        if [ $((cpu - markCpu)) -ge 500000 ]; then
            markCpu=$cpu
            markTime=$now
        elif [ $((now - markTime)) -ge 150000 ]; then
            # Over once the main window is up and the splash (the About box) has gone, which
            # keeps the start going for its fixed least time.
            if xdotool search --onlyvisible --name '^Corvane' >/dev/null 2>&1 &&
                ! xdotool search --onlyvisible --name '^About$' >/dev/null 2>&1; then
                break
            fi
            markTime=$now
        fi
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$((markTime - start)) $((markCpu / 1000))"
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
