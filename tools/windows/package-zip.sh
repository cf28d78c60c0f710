#!/usr/bin/env bash
# Makes the Windows release, vellumdesk-VERSION-windows.zip, from the modules
# that tools/windows/test-under-wine.sh cross-builds (build-win64 and
# build-win32), and checks it: the zip is unpacked into a temporary folder, a
# host (tests/install/consumer.c) is built from its contents alone with
# MinGW-w64 for each architecture and run under Wine, 64-bit with wine64 and
# 32-bit with wine in a Wine prefix of its own.
#   tools/windows/package-zip.sh [OUT-DIR]      (default: build-win64)
# VD_WIN64_BUILD and VD_WIN32_BUILD name other build folders of the modules.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
OUT=${1:-build-win64}
VERSION="$(sed -n 's/^project(Vellumdesk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
ZIP="$(mkdir -p "$OUT" && cd "$OUT" && pwd)/vellumdesk-$VERSION-windows.zip"
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
fail() {
    echo "package-zip.sh: $*" >&2
    exit 1
}
for tool in zip unzip x86_64-w64-mingw32-gcc i686-w64-mingw32-gcc x86_64-w64-mingw32-strip \
    i686-w64-mingw32-strip "$WINE64"; do
    command -v "$tool" >/dev/null 2>&1 ||
        fail "$tool is missing (run tools/install-windows-deps.sh)"
done

WORK="$(mktemp -d)"
cleanup() {
    for prefix in "$WORK"/run-*/wineprefix; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    done
    rm -rf "$WORK"
}
trap cleanup EXIT
STAGE="$WORK/stage"
mkdir -p "$STAGE/include" "$STAGE/x64" "$STAGE/x86"
WIN64_BUILD=${VD_WIN64_BUILD:-build-win64}
WIN32_BUILD=${VD_WIN32_BUILD:-build-win32}
# The modules go without their symbol tables (a third of their size).
for arch in "x64:$WIN64_BUILD:frame/Vellumdesk.def:x86_64-w64-mingw32" \
    "x86:$WIN32_BUILD:frame/Vellumdesk-x86.def:i686-w64-mingw32"; do
    IFS=: read -r name build def triplet <<<"$arch"
    for file in Vellumdesk.dll Vellumdesk.dll.a; do
        [ -f "$build/$file" ] || fail "$build/$file is missing (run tools/windows/test-under-wine.sh)"
    done
    "$triplet-strip" --strip-unneeded -o "$STAGE/$name/Vellumdesk.dll" "$build/Vellumdesk.dll"
    cp "$build/Vellumdesk.dll.a" "$STAGE/$name/"
    cp "$def" "$STAGE/$name/Vellumdesk.def"
done
cp include/vellumdesk.h "$STAGE/include/"
cp LICENSE "$STAGE/"
sed "s/@VERSION@/$VERSION/" tools/windows/README.txt.in >"$STAGE/README.txt"
rm -f "$ZIP"
(cd "$STAGE" && zip -q -X -r "$ZIP" LICENSE README.txt include x64 x86)
echo "made $ZIP"

# The check uses only what the zip holds.
UNPACKED="$WORK/unpacked"
mkdir "$UNPACKED"
unzip -q "$ZIP" -d "$UNPACKED"
export WINEDEBUG=-all LANG=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY LC_ALL
for arch in x64:x86_64-w64-mingw32-gcc:"$WINE64":win64 x86:i686-w64-mingw32-gcc:"$WINE32":win32; do
    IFS=: read -r name cc wine winearch <<<"$arch"
    run="$WORK/run-$name"
    mkdir -p "$run/out"
    "$cc" -std=c99 -Wall -Wextra -Werror -I"$UNPACKED/include" tests/install/consumer.c \
        "$UNPACKED/$name/Vellumdesk.dll.a" -static-libgcc -o "$run/consumer.exe" ||
        fail "the $name host does not build from the zip"
    cp "$UNPACKED/$name/Vellumdesk.dll" "$run/"
    if ! { [ -x "$wine" ] && "$wine" --version >/dev/null 2>&1; }; then
        # No 32-bit Wine here (not installable, or a kernel that runs no
        # 32-bit programs): the host is built and linked, not run.
        echo "package-zip.sh: SKIPPED running the $name host: $wine is missing or cannot run" >&2
        continue
    fi
    # A Wine prefix of its own for each architecture, removed afterwards.
    if ! (cd "$run" && WINEPREFIX="$run/wineprefix" WINEARCH="$winearch" "$wine" consumer.exe \
        'out\' "$VERSION" >"$run/stdout" 2>"$run/stderr"); then
        cat "$run/stderr" >&2
        fail "the $name host failed under Wine"
    fi
    printed="$(tr -d '\r' <"$run/stdout")"
    [ "$printed" = "vellumdesk $VERSION" ] || fail "$name: the host printed '$printed'"
    [ -s "$run/out/kategorien.bin" ] || fail "$name: the host wrote no kategorien.bin"
    echo "the $name host built from the zip runs under Wine"
done
