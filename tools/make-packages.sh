#!/usr/bin/env bash
# Builds the Linux release packages with CPack and checks them: a .deb and a
# .tar.gz in BUILD-DIR. The build installs into /usr (the library in the
# multiarch folder) and links the tool against the shared SQLite and C++
# runtime, as a distribution does, so that dpkg-shlibdeps names them. Each
# package is then unpacked into a temporary folder (the .deb with dpkg-deb -x)
# and a host is built and run against it (tests/install/consume.sh).
#   tools/make-packages.sh [BUILD-DIR [CMAKE-ARGS...]]     (default: build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-package}
shift || true
GENERATOR=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$BUILD/CMakeCache.txt" ]; then
    GENERATOR=(-G Ninja)
fi
cmake -S . -B "$BUILD" "${GENERATOR[@]}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVD_BUNDLE_TOOL_DEPS=OFF -DBUILD_TESTING=OFF -DVD_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build "$BUILD" -j "${VD_JOBS:-$(nproc)}"
rm -f "$BUILD"/vellumdesk*.deb "$BUILD"/vellumdesk*.tar.gz
(cd "$BUILD" && cpack -G "DEB;TGZ" >/dev/null)
VERSION="$(sed -n 's/^project(Vellumdesk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
DEB="$(ls "$BUILD"/vellumdesk_"$VERSION"*.deb)"
TGZ="$(ls "$BUILD"/vellumdesk-"$VERSION"-*.tar.gz)"
echo "made $DEB and $TGZ"

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail() {
    echo "make-packages.sh: $*" >&2
    exit 1
}
# The .deb's control fields; its dependencies come from dpkg-shlibdeps.
dpkg-deb -f "$DEB" Package Version Depends Section Description
[ "$(dpkg-deb -f "$DEB" Package)" = vellumdesk ] || fail "the package is not named vellumdesk"
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ] || fail "the package's version is not $VERSION"
depends="$(dpkg-deb -f "$DEB" Depends)"
for lib in libc6 libsqlite3-0 libstdc++6; do
    grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib: $depends"
done
listing="$(dpkg-deb -c "$DEB")"
grep -q './usr/share/doc/vellumdesk/copyright$' <<<"$listing" || fail "no copyright file"

dpkg-deb -x "$DEB" "$WORK/deb"
tests/install/consume.sh "$WORK/deb/usr" "$VERSION" OFF
mkdir "$WORK/tgz"
tar -xzf "$TGZ" -C "$WORK/tgz"
tests/install/consume.sh "$WORK/tgz/$(basename "$TGZ" .tar.gz)" "$VERSION" OFF
echo "packages checked"
