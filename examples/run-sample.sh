#!/usr/bin/env bash
# Publishes the bundled sample: BUILD-DIR is the CMake build folder, OUT-DIR
# receives the outputs.
set -euo pipefail
BUILD=${1:-build}
OUT=${2:-out}
HERE="$(cd "$(dirname "$0")" && pwd)"
TOOL="$BUILD/vellumdesk"
mkdir -p "$OUT"
echo "(sample steps are added as the operations land)"
