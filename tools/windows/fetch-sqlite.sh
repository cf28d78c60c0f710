#!/usr/bin/env bash
# Fetches SQLite's amalgamation (sqlite3.c, sqlite3.h) for the Windows module.
# Debian has no MinGW build of SQLite, so the module compiles the amalgamation
# in. It comes from an npm package that ships it (better-sqlite3 carries it in
# deps/sqlite3/); `npm pack` downloads the package archive without installing
# anything or running its scripts.
#
#   tools/windows/fetch-sqlite.sh DEST-DIR [NPM-PACKAGE]
#
# DEST-DIR receives sqlite3.c, sqlite3.h and SOURCE (what was fetched). The
# amalgamation is never part of the repository; the build keeps it in its own
# folder.
set -euo pipefail
DEST=${1:?usage: fetch-sqlite.sh DEST-DIR [NPM-PACKAGE]}
PACKAGE=${2:-better-sqlite3@12}

if [ -s "$DEST/sqlite3.c" ] && [ -s "$DEST/sqlite3.h" ]; then
    exit 0
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
tar -xzf "$WORK/$ARCHIVE" -C "$WORK" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
mkdir -p "$DEST"
cp "$WORK/package/deps/sqlite3/sqlite3.h" "$DEST/sqlite3.h.part"
cp "$WORK/package/deps/sqlite3/sqlite3.c" "$DEST/sqlite3.c.part"
VERSION=$(sed -n 's/^#define SQLITE_VERSION *"\(.*\)"/\1/p' "$DEST/sqlite3.h.part")
echo "SQLite $VERSION from npm package ${ARCHIVE%.tgz}" >"$DEST/SOURCE"
mv "$DEST/sqlite3.h.part" "$DEST/sqlite3.h"
mv "$DEST/sqlite3.c.part" "$DEST/sqlite3.c"
cat "$DEST/SOURCE"
