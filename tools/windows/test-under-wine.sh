#!/usr/bin/env bash
# Cross-builds the Windows module (64-bit and 32-bit), checks both export
# tables and that a host built with the public header links against each
# import library, and tests the 64-bit module under Wine: the Windows unit
# tests, then the host program (tools/windows/host.cpp) over the sample
# publication and failure cases, whose outputs must be byte-identical to those
# of the Linux build for the same cases, then hosts that end their process
# with the session open (tests/frame/ExitingHost.c). Installs nothing (tools/install-windows-deps.sh
# does); the Wine prefix is created for the run and removed afterwards.
#
#   tools/windows/test-under-wine.sh [LINUX-BUILD-DIR]
#
# LINUX-BUILD-DIR is a Linux build folder (a Release build of the project)
# whose module makes the reference run and whose tool creates the project
# databases; it is brought up to date first. Default: build-win64/linux-ref,
# configured here without tests and benchmarks. Windows build folders:
# build-win64 and build-win32.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
WIN64="build-win64"
WIN32="build-win32"
LINUX_BUILD=${1:-$WIN64/linux-ref}
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
JOBS=${VD_JOBS:-2}
START=$SECONDS

step() { echo "=== $* ($((SECONDS - START)) s)"; }
for tool in x86_64-w64-mingw32-g++ i686-w64-mingw32-g++ sqlite3 "$WINE" "$WINESERVER"; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "test-under-wine.sh: $tool is missing (run tools/install-windows-deps.sh)" >&2
        exit 1
    }
done

# configure BUILD-DIR TOOLCHAIN [CMAKE-ARGS...]: once; later runs only build.
configure() {
    local build=$1 toolchain=$2
    shift 2
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -G Ninja --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release "$@" \
            >/dev/null
    fi
}
step "cross-build, 64-bit"
configure "$WIN64" cmake/toolchains/mingw-w64-x86_64.cmake
cmake --build "$WIN64" -j "$JOBS"
step "cross-build, 32-bit"
# The SQLite amalgamation fetched for the 64-bit build serves this one too.
configure "$WIN32" cmake/toolchains/mingw-w64-i686.cmake \
    -DVD_SQLITE_AMALGAMATION_DIR="$ROOT/$WIN64/_deps/sqlite3"
cmake --build "$WIN32" -j "$JOBS"

step "export tables"
ctest --test-dir "$WIN32" -L exports --output-on-failure
ctest --test-dir "$WIN64" -L exports --output-on-failure

step "Linux module and tool for the reference run ($LINUX_BUILD)"
if [ ! -f "$LINUX_BUILD/CMakeCache.txt" ]; then
    cmake -S . -B "$LINUX_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVD_BUILD_TESTS=OFF \
        -DVD_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$LINUX_BUILD" -j "$JOBS"
LINUX_BUILD="$(cd "$LINUX_BUILD" && pwd)"

# Wine: a throw-away prefix, no display (an error box then returns at once),
# a UTF-8 locale (file names on disk are UTF-8), no debug output, no Mono or
# Gecko installers.
export WINEPREFIX="$ROOT/$WIN64/wineprefix"
export WINEDEBUG=-all LANG=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY LC_ALL
rm -rf "$WINEPREFIX"
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
step "Wine prefix"
# A persistent server first, so that the programs below need not wait for one
# to start and stop; then the prefix is created.
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p
"$WINE" wineboot.exe --init >/dev/null 2>&1

step "Windows unit tests under Wine"
ctest --test-dir "$WIN64" -L wine --output-on-failure

step "host program: Linux reference run, then Windows under Wine"
RUN="$ROOT/$WIN64/host-run"
rm -rf "$RUN"
mkdir -p "$RUN"
"$ROOT/tools/windows/prepare-host-run.sh" "$RUN" "$LINUX_BUILD/vellumdesk"
g++ -std=c++20 -O1 -Wall -Wextra -Werror -I include tools/windows/host.cpp -ldl -o "$RUN/host-linux"

# The Windows form of an absolute path: Wine's drive Z: is the root folder.
winpath() {
    local path=$1
    printf 'Z:%s' "${path//\//\\}"
}
"$RUN/host-linux" "$LINUX_BUILD/libvellumdesk.so" tools/windows/host-cases.txt "$RUN/data-linux" \
    "$RUN/out-linux" | sed 's/^/[linux] /'
"$WINE" "$(winpath "$ROOT/$WIN64/vd_host.exe")" "$(winpath "$ROOT/$WIN64/Vellumdesk.dll")" \
    "$(winpath "$ROOT/tools/windows/host-cases.txt")" "$(winpath "$RUN/data-windows")" \
    "$(winpath "$RUN/out-windows")" "$(winpath "$RUN/out-linux")" | tr -d '\r' | sed 's/^/[wine]  /'

step "hosts that end with the session open, under Wine"
# Each opens the session with a conversion (then, with then-fail, makes a
# failing call; with open-fails only the opening is tried, and fails) and ends
# by returning from main, by FreeLibrary, or by ExitProcess with the module
# loaded; each must exit 0.
for how in return unload exit-process; do
    for after in "" then-fail open-fails; do
        "$WINE" "$(winpath "$ROOT/$WIN64/vd_exiting_host.exe")" \
            "$(winpath "$ROOT/$WIN64/Vellumdesk.dll")" "$(winpath "$RUN/data-windows/second.db")" \
            "$(winpath "$RUN/data-windows/sample/mainwindow.shg")" 1 $how $after |
            tr -d '\r' | sed 's/^/[wine]  /'
    done
done
# The host linked against the import library (its imports were checked above).
"$WINE" "$(winpath "$ROOT/$WIN64/vd_linked_host.exe")" | tr -d '\r' | sed 's/^/[wine]  /'
step "Windows module passed"
