#!/usr/bin/env bash
# Walks through Corvane as a user would, under a virtual X server with a window manager, driven
# by xdotool: clicks into boxes and types, scrolls pick lists with the wheel, presses Enter and
# Escape, opens help from an editor and closes it both ways, and saves a screenshot after each
# step. It stops with a message when a window it expects does not come to the front, or when
# the purchase it typed is not stored as typed (read back with corvane-admin).
# Usage: tools/walkthrough.sh [OUT_DIR]   (default: walkthrough/ here)
# CORVANE_BUILD names an already configured build directory to use instead of build-release.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != --inside ]; then
    out=$(realpath -m "${1:-walkthrough}")
    build=${CORVANE_BUILD:-}
    if [ -z "$build" ]; then
        bash "$root/tools/prepare-release.sh" "$out/data" corvane corvane-admin supplied_data
        build="$root/build-release"
    else
        bash "$root/tools/deps.sh"
        cmake --build "$build" --parallel "$(nproc)" --target corvane corvane-admin supplied_data
    fi
    for tool in xdotool openbox; do
        command -v "$tool" >/dev/null || { echo "walkthrough needs $tool (Debian package $tool)" >&2; exit 1; }
    done
    rm -rf "$out/data"
    mkdir -p "$out/data"
    cp "$build"/data/* "$out/data"/
    "$build/app/corvane-admin" -C "$out/data" generate --customers 300 --invoices 200 >/dev/null
    rm -f "$out"/*.png
    exec xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
        bash "$0" --inside "$out" "$build"
fi

out=$2
build=$3
data="$out/data"
admin="$build/app/corvane-admin"
openbox >/dev/null 2>&1 &
sleep 1
"$build/app/corvane" "$data" >"$out/corvane.log" 2>&1 &
program=$!
trap 'kill "$program" 2>/dev/null || true' EXIT

shots=0
shot() {
    shots=$((shots + 1))
    import -window root "$(printf '%s/%02d-%s.png' "$out" "$shots" "$1")"
}

fail() {
    shot failure
    echo "walkthrough: $*" >&2
    exit 1
}

# Waits until the window in front has the given title.
front() {
    local title
    for _ in $(seq 50); do
        title=$(xdotool getactivewindow getwindowname 2>/dev/null || true)
        [ "$title" = "$1" ] && return 0
        sleep 0.2
    done
    fail "expected \"$1\" in front, found \"$title\""
}

# Clicks at x, y inside the window in front, counted from the place xdotool gives for it.
click_at() {
    eval "$(xdotool getactivewindow getwindowgeometry --shell)"
    xdotool mousemove $((X + $1)) $((Y + $2)) click 1
    sleep 0.4
}

wheel_down_at() {
    eval "$(xdotool getactivewindow getwindowgeometry --shell)"
    xdotool mousemove $((X + $1)) $((Y + $2))
    for _ in $(seq "$3"); do xdotool click 5; done
    sleep 0.3
}

key() {
    xdotool key "$@"
    sleep 0.5
}

# The About box shows while the program starts; the main window comes to the front after it.
front "Corvane 1.05"
sleep 1
shot main-window

# Customers and Products: the purchase list, scrolled with the wheel, searched, Enter.
click_at 164 18
click_at 334 115
front PickPur
wheel_down_at 171 176 3
shot purchase-list-after-three-wheel-notches
xdotool type "ELC"
key Return
front "Inventory Purchase Definition"
shot purchase-from-enter-in-search
key Escape
front PickPur

# A new purchase typed by clicking into its boxes.
click_at 229 355
front "Inventory Purchase Definition"
click_at 52 1
front PickProd
xdotool type "ELC-1009"
key Return
front "Inventory Purchase Definition"
click_at 117 57
xdotool type "3"
click_at 117 85
xdotool type "450"
key Tab
shot purchase-typed-by-mouse

# Help from the editor: used over it, closed with Escape, then again closed with its button.
key F1
front "Corvane Help - Inventory Purchase Definition"
wheel_down_at 270 300 3
shot help-over-the-purchase-editor
key Escape
front "Inventory Purchase Definition"
key F1
front "Corvane Help - Inventory Purchase Definition"
eval "$(xdotool getactivewindow getwindowgeometry --shell)"
click_at $((WIDTH - 53)) 1
front "Inventory Purchase Definition"
# Tab from the cost box left the focus on Save.
key Return
front PickPur
key Escape
front "Corvane 1.05"
today=$(date +%F)
"$admin" -C "$data" report purchasing --from "$today" --to "$today" --text - |
    grep -Eq 'ELC-1009 .* 3\.00 +450\.00$' ||
    fail "the purchase typed as 3 for 450 was not stored so"

# The group list: Enter in its search box opens the group.
click_at 42 115
front PickGroup
xdotool type "Re"
key Return
front "Customer Group Definition"
shot group-editor
key Escape
front PickGroup
key Escape
front "Corvane 1.05"

# The product list: Enter opens the first product; Enter walks its boxes as they are read, from
# the ID to the license code and the two description lines; Escape after a change asks first.
click_at 334 64
front PickProd
key Return
front "Product Definition"
key Return
key Return
key Return
xdotool type "1 lb bag"
shot product-second-line-reached-by-enter
key Escape
shot question-before-throwing-the-product-change-away
key shift+Tab
key space
front PickProd
key Escape
front "Corvane 1.05"

# Invoices: the invoice list scrolled with the wheel, searched by a customer's name, Enter on
# the invoice found, help from the invoice window; a change thrown away only after the question,
# whose default keeps it; End in the list.
click_at 41 18
click_at 42 64
front "Select Invoice"
wheel_down_at 257 176 3
shot invoice-list-after-three-wheel-notches
key Tab
xdotool type "Keller"
sleep 0.5
shot invoice-list-found-by-customer-name
key Return
front Invoice
shot invoice
key F1
front "Corvane Help - Invoice"
shot help-over-the-invoice
key Escape
front Invoice
key Tab
xdotool type " called"
key Escape
shot question-before-throwing-a-change-away
key Return
front Invoice
key Escape
key shift+Tab
key space
front "Select Invoice"
key Tab Tab
key End
shot invoice-list-after-end
key Escape
front "Corvane 1.05"
shot back-at-the-main-window
echo "walkthrough: every step passed; $shots screenshots in $out"
