#!/usr/bin/env bash
# Drives the real program in a real X window, as a person would: Open Nokia,
# type a logo's path into the file dialog, Return; Save Bit, type a new name
# without extension, Return; About, Close; close the main window. Then checks
# the written .bit file byte for byte and that the program has ended.
#
# Usage: real_window.sh PROGRAM [SCREENSHOT.png]
# With a screenshot path it also captures the window with the logo loaded
# (needs ImageMagick's `import`).
#
# Starts its own Xvfb server and window manager; every wait is bounded and
# every process it started is ended on exit.
set -euo pipefail

program=$(realpath "$1")
screenshot=${2:-}
work=$(mktemp -d)
pids=()

cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits up to $1 seconds for a visible window whose title is exactly $2 and
# prints its id.
wait_for_window() {
    local seconds=$1 title=$2 id
    for ((i = 0; i < seconds * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>>"$work/xdotool.log" | head -n 1) || true
        if [[ -n "$id" ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    xwininfo -root -tree >&2
    cat "$work/xdotool.log" >&2
    fail "no window \"$title\" within ${seconds}s"
}

# Waits up to $1 seconds until no visible window has the title $2.
wait_for_no_window() {
    local seconds=$1 title=$2
    for ((i = 0; i < seconds * 10; i++)); do
        xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window \"$title\" still open after ${seconds}s"
}

# Clicks at client coordinates ($2, $3) of window $1.
click_at() {
    xdotool mousemove --sync --window "$1" "$2" "$3" click 1
}

# Types a path into the focused file dialog and confirms it. The dialog's
# completer may take the first Return; a second one is sent if the dialog is
# still open.
answer_dialog() {
    local dialog=$1 path=$2
    xdotool windowactivate --sync "$dialog" 2>/dev/null || xdotool windowfocus --sync "$dialog"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 2 "$path"
    sleep 0.3
    xdotool key Return
    for ((i = 0; i < 50; i++)); do
        xdotool search --onlyvisible --name "^$3\$" >/dev/null 2>&1 || return 0
        ((i == 10)) && xdotool key Return
        sleep 0.1
    done
    fail "file dialog \"$3\" did not accept $path"
}

# ---- Test files, made here from the formats' description ----

# An operator logo: 20 header bytes, then one "0"/"1" byte per pixel, 72 x 14,
# row by row. The pattern: the top row set, and diagonal stripes below it.
logo_pixel() { (($2 == 0 || ($1 + 2 * $2) % 5 == 0)); }

logo="$work/stripes.nol"
{
    printf 'NOL\0\x18\x02\x00\x00\x48\x00\x0e\x00\x01\x00\x00\x00\x00\x00\x00\x00'
    for ((row = 0; row < 14; row++)); do
        line=""
        for ((col = 0; col < 72; col++)); do
            if logo_pixel "$col" "$row"; then line+="1"; else line+="0"; fi
        done
        printf '%s' "$line"
    done
} >"$logo"
[[ $(stat -c %s "$logo") -eq 1028 ]] || fail "test logo is not 1028 bytes"

# The expected .bit file: byte 96 * band + x holds column x of the band, bit b
# being row 8 * band + b. The logo sits with its top-left pixel at (12, 17).
expected="$work/expected.bit"
for ((band = 0; band < 6; band++)); do
    for ((x = 0; x < 96; x++)); do
        byte=0
        for ((b = 0; b < 8; b++)); do
            y=$((8 * band + b))
            if ((x >= 12 && x < 84 && y >= 17 && y < 31)) && logo_pixel $((x - 12)) $((y - 17)); then
                byte=$((byte | (1 << b)))
            fi
        done
        printf "\\$(printf '%03o' "$byte")"
    done
done >"$expected"
[[ $(stat -c %s "$expected") -eq 576 ]] || fail "expected file is not 576 bytes"

# ---- A display with a window manager ----

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for ((i = 0; i < 100; i++)); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for ((i = 0; i < 100; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start"

# Qt's own file dialog, whatever desktop the machine has.
export QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=generic
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION
cd "$work"
"$program" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)

main=$(wait_for_window 30 Pelorin)
xdotool windowactivate --sync "$main" 2>/dev/null || true

# Button centres in the main window's client area.
open_nokia=(44 44)
save_bit=(228 44)
about=(228 68)

# ---- Open Nokia: the logo ----
click_at "$main" "${open_nokia[@]}"
dialog=$(wait_for_window 30 Open)
answer_dialog "$dialog" "$logo" Open
sleep 0.5

if [[ -n "$screenshot" ]]; then
    import -window "$main" "$screenshot"
    echo "screenshot written to $screenshot"
fi

# ---- Save Bit: a new name without extension gets ".bit" ----
click_at "$main" "${save_bit[@]}"
dialog=$(wait_for_window 30 "Save As")
answer_dialog "$dialog" "$work/saved" "Save As"
for ((i = 0; i < 100; i++)); do
    [[ -f "$work/saved.bit" ]] && break
    sleep 0.1
done
[[ -f "$work/saved.bit" ]] || fail "Save Bit wrote no $work/saved.bit"
cmp "$expected" "$work/saved.bit" || fail "the saved .bit file differs from the logo drawn"

# ---- About, then Close ----
click_at "$main" "${about[@]}"
splash=$(wait_for_window 30 "About ")
click_at "$splash" 148 100
wait_for_no_window 30 "About "

# ---- Closing the main window ends the program ----
# Alt+F4 goes to the window with the focus; the window manager may take a
# moment to give it back to the main window after the About window hid.
for ((attempt = 0; attempt < 5; attempt++)); do
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main" 2>/dev/null || true
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$main" ]] && xdotool key --clearmodifiers alt+F4
    for ((i = 0; i < 20; i++)); do
        kill -0 "$program_pid" 2>/dev/null || break 2
        sleep 0.1
    done
done
if kill -0 "$program_pid" 2>/dev/null; then
    fail "the program still runs after its main window was closed"
fi
wait "$program_pid" || fail "the program exited with status $?: $(cat "$work/program.log")"

echo "real window: Open Nokia, Save Bit, About, Close and quit all worked"
