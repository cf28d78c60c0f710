#!/usr/bin/env bash
# Runs the tool under an address-space limit on a 200 MB file that `dump`
# reads whole: the allocation fails, and the tool must end with status 1 and
# one line on stderr about memory, never with an abort.
#
#   run-out-of-memory.sh TOOL
set -uo pipefail
TOOL=$1
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
truncate -s 200M "$WORK/big.bin"  # sparse: takes no room on disk
status=0
(ulimit -v 102400 && exec "$TOOL" dump "$WORK/big.bin") >/dev/null 2>"$WORK/stderr" || status=$?
cat "$WORK/stderr"
if [ "$status" -ne 1 ]; then
    echo "run-out-of-memory.sh: exit status $status, expected 1" >&2
    exit 1
fi
if [ "$(wc -l <"$WORK/stderr")" -ne 1 ] || ! grep -qi memory "$WORK/stderr"; then
    echo "run-out-of-memory.sh: expected one line about memory on stderr" >&2
    exit 1
fi
