#!/usr/bin/env bash
# Publishes the bundled sample: BUILD-DIR is the CMake build folder, OUT-DIR
# receives the outputs.
set -euo pipefail
BUILD=${1:-build}
OUT=${2:-out}
HERE="$(cd "$(dirname "$0")" && pwd)"
TOOL="$BUILD/vellumdesk"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
"$TOOL" contents "$HERE/sample/contents.txt" "$OUT/"
"$TOOL" categories "$HERE/sample/categories.txt" "$OUT/"
"$HERE/sample/publish-pictures.sh" "$TOOL" "$OUT"
echo "--- $OUT/inhalt.bin"
"$TOOL" dump "$OUT/inhalt.bin"
echo "--- $OUT/kategorien.bin"
"$TOOL" dump "$OUT/kategorien.bin"
