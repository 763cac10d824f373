#!/usr/bin/env bash
# File > Quit's question under a window manager, answered from the keyboard
# as a user answers it: the program on an X display of its own (the test
# runs this under xvfb-run) with openbox, driven by xdotool.
#
#   quit-question-keys.sh QUELLVANE
#
# The site is the one the platform finds (the test names it through
# QUELLVANE_SITE).  Once the window manager has given the question the
# focus, Esc and Y do nothing (the question's buttons have no mnemonics and
# Esc does not close it), and Enter answers with the default button, Yes,
# at once: the program ends with 0.
set -u

program="${1:?usage: $0 QUELLVANE}"
wm=""
pid=""

cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

fail() {
    echo "quit-question-keys: $*" >&2
    exit 1
}

# The program's windows that are shown (main window, menus, boxes).
shown() { xdotool search --onlyvisible --classname quellvane 2>/dev/null; }
active() { xdotool getactivewindow 2>/dev/null; }
running() { kill -0 "$pid" 2>/dev/null; }

# Waits up to $1 seconds for the condition that the other words make.
waitfor() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        running || return 1
        sleep 0.1
    done
    return 1
}

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The program starts once the window manager runs: a window mapped before
# the manager takes over the screen is not given the focus.
wm_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for _ in $(seq 300); do
    wm_runs && break
    kill -0 "$wm" 2>/dev/null || fail "openbox did not start"
    sleep 0.1
done
wm_runs || fail "openbox did not take over the screen"

"$program" &
pid=$!

# The window manager makes the main window the active one.
main_is_active() {
    main="$(active)"
    [ -n "$main" ] && shown | grep -qx "$main"
}
waitfor 120 main_is_active || fail "the main window never became the active window"
echo "main window: $main"

# File > Quit from the keyboard: Alt+F opens the menu, Up goes round to its
# last item, Quit.
xdotool key alt+f
menu_is_open() { [ "$(shown | wc -l)" -ge 2 ]; }
waitfor 20 menu_is_open || fail "Alt+F did not open the File menu"
xdotool key Up Return

# The question comes up and the window manager gives it the focus.
question_is_active() {
    box="$(active)"
    [ -n "$box" ] && [ "$box" != "$main" ] && shown | grep -qx "$box"
}
waitfor 20 question_is_active || fail "File > Quit asked no question, or it never got the focus"
echo "question: $box \"$(xdotool getwindowname "$box")\""

for key in Escape y alt+y; do
    xdotool key "$key"
    sleep 0.5
    running || fail "$key answered the question"
    [ "$(active)" = "$box" ] || fail "$key closed the question"
done

xdotool key Return
ended() { ! kill -0 "$pid" 2>/dev/null; }
for _ in $(seq 200); do
    ended && break
    sleep 0.1
done
ended || fail "Enter did not answer the question"
wait "$pid"
code=$?
pid=""
echo "Enter answered Yes: the program ended with $code"
exit "$code"
