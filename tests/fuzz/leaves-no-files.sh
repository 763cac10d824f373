#!/bin/sh
# Runs a fuzz target briefly over its seeds, once with TMPDIR set to a
# folder of this test's and once without, and fails when either run leaves
# anything behind: in that folder, or in /tmp under the given prefix.
#   leaves-no-files.sh FUZZER SEEDS PREFIX
set -u
fuzzer=$1
seeds=$2
prefix=$3

tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
work=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp" "$work"' EXIT

left() { ls -d /tmp/"$prefix"* 2>/dev/null | sort; }

before=$(left)
if ! (cd "$work" && TMPDIR=$tmp "$fuzzer" -runs=20 "$seeds" >"$work/log" 2>&1); then
    cat "$work/log"
    echo "the run with TMPDIR failed"
    exit 1
fi
if [ -n "$(ls -A "$tmp")" ]; then
    echo "left in TMPDIR:"; ls -A "$tmp"
    exit 1
fi
if ! (cd "$work" && env -u TMPDIR "$fuzzer" -runs=20 "$seeds" >"$work/log" 2>&1); then
    cat "$work/log"
    echo "the run without TMPDIR failed"
    exit 1
fi
after=$(left)
if [ "$before" != "$after" ]; then
    echo "left in /tmp:"
    printf '%s\n' "$after" | grep -vxF "$before"
    exit 1
fi
echo "nothing left behind"
