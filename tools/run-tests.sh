#!/usr/bin/env bash
# Configures, builds and runs the test suite.
#   tools/run-tests.sh [BUILD-DIR [CMAKE-ARGS...]]
# BUILD-DIR defaults to "build"; extra arguments go to the CMake configure
# step (for example -DVD_SANITIZE=ON for an ASan+UBSan build).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
shift || true
GENERATOR=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$BUILD/CMakeCache.txt" ]; then
    GENERATOR=(-G Ninja)
fi
cmake -S . -B "$BUILD" "${GENERATOR[@]}" "$@"
cmake --build "$BUILD" -j "$(nproc)"
ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"
