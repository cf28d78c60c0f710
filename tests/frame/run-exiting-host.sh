#!/usr/bin/env bash
# Runs the exiting host (ExitingHost.c) on a fresh copy of the sample
# publication: creates its project database with the tool, publishes
# mainwindow.shg through the module and ends the host by HOW. Passes when the
# host exits 0 and the GIF and the image map were written (with open-fails:
# that nothing was written).
#
#   run-exiting-host.sh HOST MODULE TOOL HOW [then-fail | open-fails] [-- WRAPPER...]
#
# WRAPPER (for example valgrind with its options) runs the host.
set -euo pipefail
HOST=$1 MODULE=$2 TOOL=$3 HOW=$4
shift 4
FAIL=()
if [ "${1:-}" = then-fail ] || [ "${1:-}" = open-fails ]; then
    FAIL=("$1")
    shift
fi
WRAPPER=()
if [ "${1:-}" = -- ]; then
    shift
    WRAPPER=("$@")
fi
SAMPLE="$(cd "$(dirname "$0")/../../examples/sample" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/out"
SQL="$(<"$SAMPLE/project.sql")"
printf '%s\n' "${SQL//@OUT@/$WORK/out/}" >"$WORK/project.sql"
"$TOOL" db init "$WORK/project.db" "$WORK/project.sql"

status=0
"${WRAPPER[@]}" "$HOST" "$MODULE" "$WORK/project.db" "$SAMPLE/mainwindow.shg" 1 "$HOW" "${FAIL[@]}" ||
    status=$?
if [ "$status" -ne 0 ]; then
    echo "run-exiting-host.sh: the host ended with status $status" >&2
    exit 1
fi
if [ "${FAIL[*]}" = open-fails ]; then
    written="$(find "$WORK/out" -type f)"
    [ -z "$written" ] || { echo "run-exiting-host.sh: written: $written" >&2; exit 1; }
else
    for file in images/mainwindow.gif maps/mainwindow.map; do
        [ -s "$WORK/out/$file" ] || { echo "run-exiting-host.sh: $file not written" >&2; exit 1; }
    done
fi
echo "run-exiting-host.sh: clean exit ($HOW ${FAIL[*]})"
