#!/usr/bin/env bash
# Runs a program on the X display it is given (the test runs this under
# xvfb-run) with openbox managing its windows, and ends with the program's
# exit code.  The window manager goes when the program ends.
#
#   under-openbox.sh PROGRAM [ARGUMENT...]
set -u

[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGUMENT...]" >&2; exit 2; }

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# A test may hold the window manager back for a moment.
export QV_WINDOW_MANAGER_PID=$wm
# (A window manager held back by a test that ended meanwhile goes on first.)
trap 'kill -CONT "$wm" 2>/dev/null; kill "$wm" 2>/dev/null; wait "$wm" 2>/dev/null' EXIT

"$@"
