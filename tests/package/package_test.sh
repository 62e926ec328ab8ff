#!/usr/bin/env bash
# The Debian package as a user gets it: built from the build of the tests, unpacked into a
# scratch root with dpkg-deb -x, and run from there: its listing holds what the package promises,
# corvane-admin prints its usage, runs a report and a label run on the supplied tables and reaches
# its mail module, and corvane started on a directory that does not exist copies the supplied
# tables there.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(bash "$source/tools/package.sh" "$build" | tail -n 1)
case $(basename "$deb") in
    corvane_*_amd64.deb) ;;
    *) fail "package named $(basename "$deb")" ;;
esac
listing=$(dpkg-deb -c "$deb")
for path in ./usr/bin/corvane ./usr/bin/corvane-admin ./usr/lib/corvane/corvane-mail.so \
    ./usr/share/corvane/help/contents.html \
    ./usr/share/corvane/data/CVN1.dbf ./usr/share/corvane/data/CUST5.dbt \
    ./usr/share/applications/corvane.desktop ./usr/share/icons/hicolor/256x256/apps/corvane.png \
    ./usr/share/metainfo/org.corvane.Corvane.metainfo.xml \
    ./usr/share/man/man1/corvane-admin.1.gz ./usr/share/man/man1/corvane.1.gz; do
    grep -q " $path\$" <<<"$listing" || fail "the package holds no $path"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the package does not depend on Qt"
dpkg-deb -f "$deb" Depends | grep -q libcurl || fail "the package does not depend on libcurl"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
admin="$root/usr/bin/corvane-admin"
"$admin" --help >"$scratch/usage" || fail "corvane-admin --help exited $?"
grep -q "report NAME" "$scratch/usage" || fail "the usage names no report"

data="$scratch/business"
mkdir "$data"
cp "$root"/usr/share/corvane/data/* "$data"/
chmod u+w "$data"/*
"$admin" -C "$data" generate --customers 12 --invoices 40 --seed 3
"$admin" -C "$data" report statements --balances-only --from 2000-01-01 --to 2099-12-31 \
    --pdf "$scratch/statements.pdf" || fail "the statements report exited $?"
[ "$(head -c 5 "$scratch/statements.pdf")" = "%PDF-" ] || fail "the statements are no PDF"
"$admin" -C "$data" report product-listing --text "$scratch/products.txt" ||
    fail "the product listing exited $?"
[ -s "$scratch/products.txt" ] || fail "the product listing is empty"
"$admin" -C "$data" labels --stock "Address 3 x 8 (A4)" --groups 1 \
    --pdf "$scratch/labels.pdf" || fail "the label run exited $?"
"$admin" -C "$data" check || fail "the data directory does not check whole"
# The mail module is found in lib/corvane: sending gets as far as the server, where nothing listens.
env -u CORVANE_MAIL_MODULE "$admin" -C "$data" send statements --balances-only --from 2000-01-01 \
    --to 2099-12-31 --server 127.0.0.1:1 --security none --user "" --sender office@corvane.test \
    >"$scratch/send" 2>&1 && fail "a send to a closed port succeeded"
grep -q "could not be reached" "$scratch/send" || fail "the packaged mail module: $(head -n 3 "$scratch/send")"

# The program says it has started a new business and waits for OK: the tables are copied by then.
new="$scratch/new-business"
QT_QPA_PLATFORM=offscreen timeout 15 "$root/usr/bin/corvane" "$new" || true
for table in CVN1.dbf CUST5.dbf CUST5.dbt INV5.dbf LABELS.dbf; do
    [ -f "$new/$table" ] || fail "corvane did not copy $table into a new business"
done
echo "package: $(basename "$deb") passed"
