#!/usr/bin/env bash
# Cross-builds the Windows module (64-bit and 32-bit), checks both export
# tables and that a host built with the public header links against each
# import library, and tests each module under Wine (64-bit with wine64,
# 32-bit with wine, each in a Wine prefix of its own): the Windows unit
# tests, then the host program (tools/windows/host.cpp) over the sample
# publication, SQLite and Jet project databases and failure cases, whose
# outputs must be byte-identical to those of the Linux build for the same
# cases, then hosts that end their process with the session open
# (tests/frame/ExitingHost.c) and the host linked with the import library.
# Installs nothing (tools/install-windows-deps.sh does); where 32-bit Wine
# could not be installed, the 32-bit module is built and inspected, and the
# run says loudly that it was not run.
#
#   tools/windows/test-under-wine.sh [LINUX-BUILD-DIR]
#
# LINUX-BUILD-DIR is a Linux build folder (a Release build of the project)
# whose module makes the reference run and whose tool and vd_host_inputs
# create the project databases; they are brought up to date first. Default:
# build-win64/linux-ref, configured here without benchmarks. Windows build
# folders: build-win64 and build-win32.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
WIN64="build-win64"
WIN32="build-win32"
LINUX_BUILD=${1:-$WIN64/linux-ref}
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
JOBS=${VD_JOBS:-2}
START=$SECONDS

step() { echo "=== $* ($((SECONDS - START)) s)"; }
for tool in x86_64-w64-mingw32-g++ i686-w64-mingw32-g++ sqlite3 "$WINE64" "$WINESERVER"; do
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
        cmake -S . -B "$build" -G Ninja --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release \
            -DVD_WERROR=ON "$@" >/dev/null
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
    cmake -S . -B "$LINUX_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVD_BUILD_BENCH=OFF \
        >/dev/null
fi
cmake --build "$LINUX_BUILD" -j "$JOBS" --target vellumdesk vellumdesk_cli vd_host_inputs
LINUX_BUILD="$(cd "$LINUX_BUILD" && pwd)"

# Wine: a throw-away prefix per architecture, no display (an error box then
# returns at once), a UTF-8 locale (file names on disk are UTF-8), no debug
# output, no Mono or Gecko installers.
export WINEDEBUG=-all LANG=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY LC_ALL
cleanup() {
    for build in "$WIN64" "$WIN32"; do
        if [ -d "$ROOT/$build/wineprefix" ]; then
            WINEPREFIX="$ROOT/$build/wineprefix" "$WINESERVER" -k >/dev/null 2>&1 || true
            rm -rf "$ROOT/$build/wineprefix"
        fi
    done
}
trap cleanup EXIT

# The Windows form of an absolute path: Wine's drive Z: is the root folder.
winpath() {
    local path=$1
    printf 'Z:%s' "${path//\//\\}"
}

# run_module BUILD WINE WINEARCH: everything that runs one module under Wine.
run_module() {
    local build=$1 wine=$2 arch=$3
    local tag="[wine-$arch]"
    export WINEPREFIX="$ROOT/$build/wineprefix" WINEARCH=$arch
    rm -rf "$WINEPREFIX"
    step "Wine prefix ($arch)"
    # A persistent server first, so that the programs below need not wait
    # for one to start and stop; then the prefix is created.
    mkdir -p "$WINEPREFIX"
    "$WINESERVER" -p
    "$wine" wineboot.exe --init >/dev/null 2>&1

    step "Windows unit tests under Wine ($arch)"
    ctest --test-dir "$build" -L wine --output-on-failure

    step "host program: Linux reference run, then Windows under Wine ($arch)"
    local run="$ROOT/$build/host-run"
    rm -rf "$run"
    mkdir -p "$run"
    "$ROOT/tools/windows/prepare-host-run.sh" "$run" "$LINUX_BUILD/vellumdesk" \
        "$LINUX_BUILD/tests/jet/vd_host_inputs"
    g++ -std=c++20 -O1 -Wall -Wextra -Werror -I include tools/windows/host.cpp -ldl \
        -o "$run/host-linux"
    "$run/host-linux" "$LINUX_BUILD/libvellumdesk.so" tools/windows/host-cases.txt \
        "$run/data-linux" "$run/out-linux" | sed 's/^/[linux] /'
    # The Jet file publishes what its SQLite twin publishes; the heading
    # outside ASCII is found from both hotspots (SQLite's NOCASE folds ASCII
    # only, so the SQLite run links them to 00000).
    local sqlite="$run/out-linux/Veröffentlichung" jet="$run/out-linux/Jet-Veröffentlichung"
    cmp "$sqlite/Grafik-äöü/mainwindow.gif" "$jet/Grafik-äöü/mainwindow.gif"
    cmp "$sqlite/Rest-ß/mainwindow.map" "$jet/Rest-ß/mainwindow.map"
    [ "$(grep -c 'HREF=t00024.html>' "$jet/Rest-ß/uebersicht.map")" = 2 ] || {
        echo "test-under-wine.sh: the Jet map does not link both hotspots to the heading" >&2
        exit 1
    }
    "$wine" "$(winpath "$ROOT/$build/vd_host.exe")" "$(winpath "$ROOT/$build/Vellumdesk.dll")" \
        "$(winpath "$ROOT/tools/windows/host-cases.txt")" "$(winpath "$run/data-windows")" \
        "$(winpath "$run/out-windows")" "$(winpath "$run/out-linux")" | tr -d '\r' |
        sed "s/^/$tag  /"
    # The names on disk, listed from Linux, are the database's characters.
    [ -f "$run/out-windows/Jet-Veröffentlichung/Grafik-äöü/uebersicht.gif" ] || {
        echo "test-under-wine.sh: no 'Grafik-äöü' folder written by the $arch module" >&2
        exit 1
    }

    step "hosts that end with the session open, under Wine ($arch)"
    # Each opens the session with a conversion (then, with then-fail, makes
    # a failing call; with open-fails only the opening is tried, and fails)
    # and ends by returning from main, by FreeLibrary, or by ExitProcess with
    # the module loaded; each must exit 0.
    for how in return unload exit-process; do
        for after in "" then-fail open-fails; do
            "$wine" "$(winpath "$ROOT/$build/vd_exiting_host.exe")" \
                "$(winpath "$ROOT/$build/Vellumdesk.dll")" \
                "$(winpath "$run/data-windows/second.db")" \
                "$(winpath "$run/data-windows/sample/mainwindow.shg")" 1 $how $after |
                tr -d '\r' | sed "s/^/$tag  /"
        done
    done
    # The host linked against the import library (its imports were checked above).
    "$wine" "$(winpath "$ROOT/$build/vd_linked_host.exe")" | tr -d '\r' | sed "s/^/$tag  /"
    "$WINESERVER" -k >/dev/null 2>&1 || true
}

run_module "$WIN64" "$WINE64" win64
# 32-bit Wine needs both its packages and a kernel that runs 32-bit programs.
if [ -x "$WINE32" ] && "$WINE32" --version >/dev/null 2>&1; then
    run_module "$WIN32" "$WINE32" win32
else
    echo "=== SKIPPED: the 32-bit module under Wine: $WINE32 is missing or cannot run here" \
        "(no wine32:i386, or a kernel without 32-bit programs); it was built and inspected only" >&2
fi
step "Windows modules passed"
