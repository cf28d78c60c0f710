#!/usr/bin/env bash
# Fetches SQLite's amalgamation (sqlite3.c, sqlite3.h) for the Windows module.
# Debian has no MinGW build of SQLite, so the module compiles the amalgamation
# in. It comes from one pinned version of an npm package that ships it
# (better-sqlite3 carries it in deps/sqlite3/); `npm pack` downloads the
# package archive without installing anything or running its scripts. The
# archive's SHA-256 is checked before anything is taken from it, and the two
# files' SHA-256 after; a mismatch stops the build.
#
#   tools/windows/fetch-sqlite.sh [--check] DEST-DIR
#
# With --check nothing is fetched: the two files in DEST-DIR must be there
# and be the pinned ones. Otherwise DEST-DIR receives sqlite3.c, sqlite3.h and SOURCE (what was fetched). The
# amalgamation is never part of the repository; the build keeps it in its own
# folder. To move to another SQLite, change the four pins below (README:
# "SQLite in the Windows module").
set -euo pipefail
CHECK_ONLY=0
if [ "${1:-}" = --check ]; then
    CHECK_ONLY=1
    shift
fi
DEST=${1:?usage: fetch-sqlite.sh [--check] DEST-DIR}

PACKAGE=better-sqlite3@12.9.0
PACKAGE_SHA256=ad0e29650140c49d0335b1d356596aa8166f12b758f418a98446130e3278f250
SQLITE_C_SHA256=391855ddc7af04001364430884d263cbe8638f852c83865823a2d08358f6b87d
SQLITE_H_SHA256=8e43a79982422f4720685f62839718f0e41410c1b71355aa32af3615ccd9e31d

# check FILE SHA256: the file's digest must be the pinned one.
check() {
    local actual
    actual=$(sha256sum "$1" | cut -d' ' -f1)
    if [ "$actual" != "$2" ]; then
        echo "fetch-sqlite.sh: $(basename "$1") has SHA-256 $actual; expected $2 ($PACKAGE)" >&2
        return 1
    fi
}

if [ -s "$DEST/sqlite3.c" ] && [ -s "$DEST/sqlite3.h" ] &&
    check "$DEST/sqlite3.c" "$SQLITE_C_SHA256" 2>/dev/null &&
    check "$DEST/sqlite3.h" "$SQLITE_H_SHA256" 2>/dev/null; then
    exit 0
fi
if [ "$CHECK_ONLY" = 1 ]; then
    for f in sqlite3.c sqlite3.h; do
        [ -s "$DEST/$f" ] || { echo "fetch-sqlite.sh: $DEST/$f is missing" >&2; exit 1; }
    done
    check "$DEST/sqlite3.c" "$SQLITE_C_SHA256"
    check "$DEST/sqlite3.h" "$SQLITE_H_SHA256"
fi
command -v npm >/dev/null 2>&1 || {
    echo "fetch-sqlite.sh: npm is needed to fetch SQLite (tools/install-windows-deps.sh)" >&2
    exit 1
}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
(cd "$WORK" && npm pack "$PACKAGE" --silent --ignore-scripts --cache "$WORK/npm-cache" >pack.out)
ARCHIVE=$(tail -n 1 "$WORK/pack.out")
[ -f "$WORK/$ARCHIVE" ] || {
    echo "fetch-sqlite.sh: npm pack $PACKAGE gave no archive" >&2
    exit 1
}
check "$WORK/$ARCHIVE" "$PACKAGE_SHA256"
tar -xzf "$WORK/$ARCHIVE" -C "$WORK" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
check "$WORK/package/deps/sqlite3/sqlite3.c" "$SQLITE_C_SHA256"
check "$WORK/package/deps/sqlite3/sqlite3.h" "$SQLITE_H_SHA256"
mkdir -p "$DEST"
cp "$WORK/package/deps/sqlite3/sqlite3.h" "$DEST/sqlite3.h.part"
cp "$WORK/package/deps/sqlite3/sqlite3.c" "$DEST/sqlite3.c.part"
VERSION=$(sed -n 's/^#define SQLITE_VERSION *"\(.*\)"/\1/p' "$DEST/sqlite3.h.part")
echo "SQLite $VERSION from npm package ${ARCHIVE%.tgz} (SHA-256 checked)" >"$DEST/SOURCE"
mv "$DEST/sqlite3.h.part" "$DEST/sqlite3.h"
mv "$DEST/sqlite3.c.part" "$DEST/sqlite3.c"
cat "$DEST/SOURCE"
