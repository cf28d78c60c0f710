#!/usr/bin/env bash
# Checks an installed tree of the library as a host developer meets it, and
# builds and runs tests/install/consumer.c against it three ways: CMake's
# find_package, pkg-config, and plain compiler flags.
#   tests/install/consume.sh PREFIX VERSION [BUNDLED]
# PREFIX is the install prefix (or the usr/ folder of an unpacked package);
# VERSION the version the header, the CMake package and the pkg-config file
# must give. BUNDLED (ON or OFF), when given, is how the tool must be linked:
# ON without the shared C++ runtime and SQLite, OFF with them.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
PREFIX="$(cd "$1" && pwd)"
VERSION=$2
BUNDLED=${3:-}
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail() {
    echo "consume.sh: $*" >&2
    exit 1
}

# The library's folder: the one that holds the pkg-config file.
PC="$(find "$PREFIX" -path '*/pkgconfig/vellumdesk.pc' -print -quit)"
[ -n "$PC" ] || fail "no vellumdesk.pc under $PREFIX"
LIBDIR="$(dirname "$(dirname "$PC")")"
echo "library folder: ${LIBDIR#"$PREFIX"/}"

# The files every install holds; the library with its soname links.
for file in include/vellumdesk.h bin/vellumdesk share/doc/vellumdesk/LICENSE \
    "${LIBDIR#"$PREFIX"/}/cmake/Vellumdesk/VellumdeskConfig.cmake" \
    "${LIBDIR#"$PREFIX"/}/cmake/Vellumdesk/VellumdeskConfigVersion.cmake"; do
    [ -f "$PREFIX/$file" ] || fail "$file is missing"
done
if command -v help2man >/dev/null 2>&1; then
    [ -f "$PREFIX/share/man/man1/vellumdesk.1" ] || fail "the manual page is missing"
    grep -q '^\.SH "SEE ALSO"' "$PREFIX/share/man/man1/vellumdesk.1" || fail "no SEE ALSO"
    grep -q '^\.SH "REPORTING BUGS"' "$PREFIX/share/man/man1/vellumdesk.1" || fail "no REPORTING BUGS"
    grep -q 'MIT' "$PREFIX/share/man/man1/vellumdesk.1" || fail "the manual page names no licence"
fi
MAJOR=${VERSION%%.*}
[ "$(readlink "$LIBDIR/libvellumdesk.so")" = "libvellumdesk.so.$MAJOR" ] ||
    fail "libvellumdesk.so does not link to libvellumdesk.so.$MAJOR"
[ "$(readlink "$LIBDIR/libvellumdesk.so.$MAJOR")" = "libvellumdesk.so.$VERSION" ] ||
    fail "libvellumdesk.so.$MAJOR does not link to libvellumdesk.so.$VERSION"
dynamic="$(readelf -d "$LIBDIR/libvellumdesk.so.$VERSION")"
grep -q "(SONAME).*\[libvellumdesk.so.$MAJOR\]" <<<"$dynamic" ||
    fail "the soname is not libvellumdesk.so.$MAJOR"

# Exactly the four operations, each of version VELLUMDESK_1.0 (GNU ld adds an
# absolute symbol that names the version node itself).
exports="$(readelf --dyn-syms --wide "$LIBDIR/libvellumdesk.so.$VERSION" |
    awk '$1 ~ /^[0-9]+:$/ && $7 != "UND" && $8 != "" && !($7 == "ABS" && $8 == "VELLUMDESK_1.0") {
        print $8 }' | sort | tr '\n' ' ')"
expected="bCompileCategory@@VELLUMDESK_1.0 bCompileContents@@VELLUMDESK_1.0 "
expected+="bConvertBmpToGif@@VELLUMDESK_1.0 bConvertSHGToGIFMAP@@VELLUMDESK_1.0 "
[ "$exports" = "$expected" ] || fail "exports are '$exports', expected '$expected'"

# The tool: the GNU form of --version, and how it is linked.
version="$("$PREFIX/bin/vellumdesk" --version)"
[ "${version%%$'\n'*}" = "vellumdesk (Vellumdesk tools library) $VERSION" ] ||
    fail "the tool's --version does not say $VERSION"
needed="$(readelf -d "$PREFIX/bin/vellumdesk" | grep NEEDED || true)"
case "$BUNDLED" in
    ON) ! grep -qE 'libstdc\+\+|libsqlite3' <<<"$needed" || fail "the tool loads $needed" ;;
    OFF) grep -q libstdc++ <<<"$needed" && grep -q libsqlite3 <<<"$needed" ||
        fail "the tool does not load the shared libstdc++ and libsqlite3: $needed" ;;
esac

# The consumer, three ways; each must compile a category list.
run() {
    local how=$1 exe=$2
    mkdir -p "$WORK/out-$how"
    LD_LIBRARY_PATH="$LIBDIR" "$exe" "$WORK/out-$how/" "$VERSION" >"$WORK/$how.out" ||
        fail "the consumer built with $how failed"
    [ "$(cat "$WORK/$how.out")" = "vellumdesk $VERSION" ] || fail "$how: $(cat "$WORK/$how.out")"
    [ -s "$WORK/out-$how/kategorien.bin" ] || fail "$how: no kategorien.bin"
    echo "consumer built with $how: passed"
}
"${CMAKE:-cmake}" -S "$HERE" -B "$WORK/cmake" -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >"$WORK/cmake.log" 2>&1 ||
    { cat "$WORK/cmake.log" >&2; fail "find_package(Vellumdesk) failed"; }
"${CMAKE:-cmake}" --build "$WORK/cmake" >>"$WORK/cmake.log" 2>&1 ||
    { cat "$WORK/cmake.log" >&2; fail "the CMake build of the consumer failed"; }
run find_package "$WORK/cmake/consumer"

export PKG_CONFIG_PATH="$LIBDIR/pkgconfig"
[ "$(pkg-config --modversion vellumdesk)" = "$VERSION" ] || fail "pkg-config gives another version"
[ "$(cd "$(pkg-config --variable=prefix vellumdesk)" && pwd)" = "$PREFIX" ] ||
    fail "the pkg-config prefix is $(pkg-config --variable=prefix vellumdesk), not $PREFIX"
# shellcheck disable=SC2046
cc -std=c99 -Wall -Wextra -Werror -o "$WORK/pc-consumer" "$HERE/consumer.c" \
    $(pkg-config --cflags --libs vellumdesk) || fail "the pkg-config build failed"
run pkg-config "$WORK/pc-consumer"

cc -std=c99 -Wall -Wextra -Werror -I"$PREFIX/include" -o "$WORK/plain-consumer" \
    "$HERE/consumer.c" -L"$LIBDIR" -lvellumdesk || fail "the build with plain flags failed"
run plain-flags "$WORK/plain-consumer"
