# The steps the screenshot walks are made of, sourced by them inside their virtual X server:
# screenshots numbered in order into $out, waiting for a window by its title, clicks and wheel
# turns at places counted from the window in front, and keys. A walk sets $out and $walk (its
# name, for its failure message) before sourcing this.

shots=0
shot() {
    shots=$((shots + 1))
    import -window root "$(printf '%s/%02d-%s.png' "$out" "$shots" "$1")"
}

fail() {
    shot failure
    echo "$walk: $*" >&2
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
    sleep 0.5
}

# Clicks at x and dy above the bottom of the window in front (for a row of buttons at its foot).
click_above_bottom() {
    eval "$(xdotool getactivewindow getwindowgeometry --shell)"
    xdotool mousemove $((X + $1)) $((Y + HEIGHT - $2)) click 1
    sleep 0.5
}

# Turns the wheel down n notches at x, y inside the window in front.
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
