#!/usr/bin/env bash
# Prepares the inputs of the host program's cases (tools/windows/host-cases.txt)
# for a Linux and a Windows run that must write the same files:
#
#   prepare-host-run.sh RUN TOOL
#
# RUN receives data-linux/ and data-windows/ (the inputs) and out-linux/ and
# out-windows/ (the output folders, with the publication's root folder made).
# TOOL is the Linux vellumdesk tool; it creates the project databases from the
# sample's rows. Each platform gets its own databases, because the
# destination root stored in them is a path of that platform (on Windows the
# drive Z:, which Wine maps to /, and backslashes).
set -euo pipefail
RUN=$1
TOOL=$2
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
SAMPLE="$ROOT/examples/sample"
case "$RUN" in
    *"'"*) echo "prepare-host-run.sh: the run folder must not contain a quote" >&2; exit 1 ;;
esac

for platform in linux windows; do
    data="$RUN/data-$platform"
    out="$RUN/out-$platform"
    mkdir -p "$data/sample" "$data/Übung" "$out/publish/Übung" "$out/second"
    cp "$SAMPLE"/contents.txt "$SAMPLE"/categories.txt "$SAMPLE"/*.bmp "$SAMPLE"/*.shg "$data/sample/"
    # Inputs and outputs in folders with an accented name (ANSI on Windows).
    cp "$SAMPLE"/contents.txt "$SAMPLE"/categories.txt "$data/Übung/"
    cp "$SAMPLE/logo.bmp" "$data/Übung/emblem.bmp"
    cp "$SAMPLE/setup.shg" "$data/Übung/overview.shg"
    # Inputs whose extension differs in letter case only: refused.
    cp "$SAMPLE/setup.shg" "$data/sample/Setup.Shg"
    cp "$SAMPLE/logo.bmp" "$data/sample/Logo.Bmp"
    printf 'This is a text file, not a project database.\n' >"$data/not-a-database.db"

    for db in "Übung/project" second; do
        root="$out/$([ "$db" = second ] && echo second || echo publish)/"
        if [ "$platform" = windows ]; then
            root="Z:${root//\//\\}"
        fi
        sql="$RUN/$platform-${db##*/}.sql"
        rows="$(<"$SAMPLE/project.sql")"
        printf '%s\n' "${rows//@OUT@/$root}" >"$sql"
        if [ "$platform" = windows ]; then
            # The folder rules as a Windows host stores them: backslashes.
            printf "UPDATE DirectoryList SET Directory = replace(Directory, '/', '\\\\');\n" >>"$sql"
        fi
        "$TOOL" db init "$data/$db.db" "$sql"
    done
    cp "$data/Übung/project.db" "$data/missing-table.db"
    sqlite3 "$data/missing-table.db" "DROP TABLE CompileStamm;"
done
