# The business the command-line benchmarks time their reports over, sourced by them: sets
# $admin (corvane-admin of $BUILD, default build/), $repeat (REPEAT, default 3), $out (a scratch
# folder for outputs) and $data: the directory given as the first argument (kept), or one
# generated with CUSTOMERS customers and INVOICES invoices (20,000 and 200,000 unless set) in a
# scratch directory; both scratch folders are removed on exit.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
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
