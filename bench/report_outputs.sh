#!/usr/bin/env bash
# Writes the reports' outputs (text and tab-delimited, and what each run told) for 23 selections
# over a generated business, so that a change to a report's reading can be shown to leave every
# byte as it was: run it before and after over copies of the same directory and compare the two
# output directories (cmp or diff -r). The selections are those of a directory made by
# `corvane-admin generate` (invoices dated 2024 and 2025, products named ELC-1003 and so on):
# statements by balance over months, a day, both years and an empty span, and by customer;
# buyers of three products; invoices and bills of a day and of three; the sales summary, the
# receivables on two days, the profile of a group and of customers, taxes and sales by product.
# Usage: bench/report_outputs.sh CORVANE_ADMIN DATA_DIR OUT_DIR
set -u
[ $# -eq 3 ] || { echo "usage: $0 CORVANE_ADMIN DATA_DIR OUT_DIR" >&2; exit 2; }
admin=$1
data=$2
out=$3
mkdir -p "$out" || exit 1
n=0
run() {
    n=$((n + 1))
    "$admin" -C "$data" report "$@" --text "$out/$n.txt" --tab "$out/$n.tab" >"$out/$n.msg" 2>&1
    echo "rc=$?" >>"$out/$n.msg"
}
run statements --balances-only --from 2025-06-01 --to 2025-06-30
run statements --balances-only --from 2024-01-01 --to 2024-01-31
run statements --balances-only --from 2025-12-01 --to 2025-12-31
run statements --balances-only --from 2025-03-15 --to 2025-03-15
run statements --balances-only --from 2024-01-01 --to 2025-12-31
run statements --balances-only --from 2027-01-01 --to 2027-01-31
run statements --customers 1,5,17,19999,20000
run product-buyers --product ELC-1003 --from 2025-01-01 --to 2025-12-31
run product-buyers --product elc-1030 --from 2025-06-01 --to 2025-06-30
run product-buyers --product ELC-1106 --from 2024-01-01 --to 2025-12-31
run product-buyers --product ELC-1003 --from 2027-01-01 --to 2027-01-31
run invoices --from 2025-06-16 --to 2025-06-16
run invoices --from 2024-01-01 --to 2024-01-03
run bills --from 2025-06-16 --to 2025-06-17
run invoices --from 2027-01-01 --to 2027-01-01
run sales-summary --from 2025-01-01 --to 2025-12-31
run sales-summary --from 2027-01-01 --to 2027-01-31
run receivables --as-of 2025-12-31
run receivables --as-of 2024-06-30
run profile --groups 1
run profile --customers 3,4,20000
run tax-summary --from 2025-01-01 --to 2025-12-31
run product-summary --from 2025-01-01 --to 2025-03-31
echo "$n selections written to $out"
