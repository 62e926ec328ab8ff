#!/usr/bin/env bash
# Walks through sending by e-mail as a user would, under a virtual X server with a window manager,
# driven by xdotool, against a mail server of its own on 127.0.0.1 (tests/support/mail_server.py:
# STARTTLS under a certificate made here, a log-in, and one customer's address refused). It fills
# in Mail Settings on the Preferences tab and sends the test message, then shows the statements of
# the balances since 2020 and sends them from the report window: the list first (scrolled with
# the wheel, its help opened with F1), then the results, from which the refused statement is
# saved as a PDF file. It opens Send by E-mail again to see that nothing would go twice, and shows
# the Messages Sent report. A screenshot is saved after each step; it stops with a message when a
# window it expects does not come to the front or the server did not receive what was sent. No
# secret store is offered, so the password goes to the walk's own password file.
# Usage: tools/mail_walkthrough.sh [OUT_DIR]   (default: mail-walkthrough/ here)
# CORVANE_BUILD names an already configured build directory to use instead of build-release.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != --inside ]; then
    out=$(realpath -m "${1:-mail-walkthrough}")
    source "$root/tools/walk_build.sh"
    walk_build "mail walkthrough" "$out" xdotool openbox openssl
    rm -rf "$out/data" "$out/server" "$out/config" "$out/dry-run"
    mkdir -p "$out/data" "$out/server" "$out/config"
    rm -f "$out"/*.png "$out"/*.pdf
    cp "$build"/data/* "$out/data"/
    "$build/app/corvane-admin" -C "$out/data" generate --customers 30 --invoices 60 >/dev/null
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost \
        -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" -keyout "$out/server.key" \
        -out "$out/server.pem" 2>/dev/null
    # The statements as they would go, written by a dry run; the first one's address is refused.
    "$build/app/corvane-admin" -C "$out/data" send statements --balances-only --from 2020-01-01 \
        --dry-run "$out/dry-run" --server 127.0.0.1 --sender office@corvane.test >/dev/null
    refused=$(grep -h -m1 '^To: ' "$(ls "$out"/dry-run/*.eml | head -1)" | sed 's/^To: //;s/\r$//')
    exec xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
        bash "$0" --inside "$out" "$build" "$refused"
fi

out=$2
build=$3
refused=$4
data="$out/data"
admin="$build/app/corvane-admin"
/usr/bin/python3 "$root/tests/support/mail_server.py" "$out/server" \
    --starttls "$out/server.pem" "$out/server.key" --auth clerk walk-pass-1 \
    --refuse "$refused" >"$out/server.log" 2>&1 &
server=$!
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do [ -s "$out/server/port" ] && break; sleep 0.2; done
port=$(cat "$out/server/port")
# No session bus: no secret store answers, and the password is kept in the walk's own file.
XDG_CONFIG_HOME="$out/config" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent NO_AT_BRIDGE=1 \
    "$build/app/corvane" "$data" >"$out/corvane.log" 2>&1 &
program=$!
trap 'kill "$program" "$server" "$wm" 2>/dev/null || true' EXIT

walk="mail walkthrough"
source "$root/tools/walk_steps.sh"

received() {
    ls "$out"/server/*.env 2>/dev/null | wc -l
}

front "Corvane 1.05"
sleep 1

# Preferences, Mail Settings: the server with STARTTLS at its port, its certificate trusted, the
# user and password, and the sender; then the test message.
click_at 432 18
click_at 531 203
front "Mail Settings"
xdotool type "127.0.0.1"
click_at 490 59
key ctrl+a
xdotool type "$port"
click_at 338 87
xdotool type "clerk"
click_at 338 115
xdotool type "walk-pass-1"
click_at 295 143
xdotool type "$out/server.pem"
click_at 308 212
xdotool type "Front Office"
click_at 308 240
xdotool type "office@corvane.test"
key Tab
shot mail-settings-typed
click_above_bottom 76 43
front Corvane
shot test-message-sent
[ "$(received)" = 1 ] || fail "the server did not receive the test message"
grep -qx "to office@corvane.test" "$out/server/1.env" || fail "the test message went elsewhere"
key Return
front "Mail Settings"
click_above_bottom 421 43
front "Corvane 1.05"
[ -s "$out/config/Corvane/mail-passwords" ] || fail "the password was not kept in the user's file"
grep -rq walk-pass-1 "$data" && fail "the password is in the data directory"

# Report Generation: statements with balances since 2020, then Send by E-mail.
click_at 317 18
click_at 42 64
key s
key b
front "Date Range"
xdotool type "01/01/20"
key Return
key Return
front Report
shot statement-preview
click_at 286 -11
front "Send by E-mail"
shot send-list
wheel_down_at 300 100 3
shot send-list-after-three-wheel-notches
key F1
front "Corvane Help - Sending documents by e-mail"
shot send-help
key Escape
front "Send by E-mail"
key Return
front "Messages Sent"
shot send-results
expected=$(ls "$out"/dry-run/*.eml | wc -l)
[ "$(received)" = "$expected" ] ||
    fail "the server received $(received) messages, not the test message and $((expected - 1)) statements"
# The refused statement saved as a PDF file in one step (Tab from the list to the button).
key Tab Tab space
front "Save as PDF"
xdotool type "$out/unsent.pdf"
key Return
front "Messages Sent"
[ "$(pdftotext "$out/unsent.pdf" - | grep -c 'Account Statement')" = 1 ] ||
    fail "the unsent PDF does not hold the one refused statement"
key Escape
front Report

# Again: every statement sent before is left out, so Send is not offered until they are ticked.
click_at 286 -11
front "Send by E-mail"
shot send-list-again
key Escape
front Report
key Escape
front "Corvane 1.05"

# The sent log: Messages Sent in the sales and tax menu, over this month; and the same report
# from the command line.
click_at 43 166
key m
front "Date Range"
key Return
key Return
front Report
shot messages-sent-report
key Escape
front "Corvane 1.05"
"$admin" -C "$data" report sent-log --text "$out/sent-log.txt"
grep -Eq "statement .*${refused//./\\.} +refused$" "$out/sent-log.txt" ||
    fail "the sent log does not show the refused statement"
[ "$(grep -Ec ' sent$' "$out/sent-log.txt")" = $((expected - 1)) ] ||
    fail "the sent log does not show $((expected - 1)) statements sent"
shot done
echo "mail walkthrough: every step passed; $shots screenshots in $out"
