#!/usr/bin/env bash
# Prepares the inputs of the host program's cases (tools/windows/host-cases.txt)
# for a Linux and a Windows run that must write the same files:
#
#   prepare-host-run.sh RUN TOOL INPUTS
#
# RUN receives data-linux/ and data-windows/ (the inputs) and out-linux/ and
# out-windows/ (the output folders, with the publication's root folder made).
# TOOL is the Linux vellumdesk tool; it creates the project databases from the
# sample's rows. Each platform gets its own databases, because the
# destination root stored in them is a path of that platform (on Windows the
# drive Z:, which Wine maps to /, and backslashes). INPUTS is the Linux build's
# vd_host_inputs; it makes the Jet databases (from SQLite ones) and a
# hypergraphic whose hotspots are written in UTF-8 and in Windows-1252.
set -euo pipefail
RUN=$1
TOOL=$2
INPUTS=$3
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
SAMPLE="$ROOT/examples/sample"
case "$RUN" in
    *"'"*) echo "prepare-host-run.sh: the run folder must not contain a quote" >&2; exit 1 ;;
esac

for platform in linux windows; do
    data="$RUN/data-$platform"
    out="$RUN/out-$platform"
    mkdir -p "$data/sample" "$data/Übung" "$out/publish/Übung" "$out/second" \
        "$out/Veröffentlichung" "$out/Jet-Veröffentlichung"
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

    # Folders and a heading outside ASCII, in SQLite and in Jet, each with a
    # root of its own so that the two publications can be compared.
    "$INPUTS" shg "$data/sample/uebersicht.shg"
    for store in sqlite jet; do
        root="$out/Veröffentlichung/"
        [ "$store" = jet ] && root="$out/Jet-Veröffentlichung/"
        if [ "$platform" = windows ]; then
            root="Z:${root//\//\\}"
        fi
        sql="$RUN/$platform-umlaut-$store.sql"
        rows="$(<"$SAMPLE/project.sql")"
        {
            printf '%s\n' "${rows//@OUT@/$root}"
            printf "UPDATE DirectoryList SET Directory = 'Grafik-äöü/' WHERE FileMask = '*.gif';\n"
            printf "UPDATE DirectoryList SET Directory = 'Rest-ß/' WHERE FileMask = '*.map';\n"
            printf "INSERT INTO HeadLines VALUES (10, 24, 'Übersicht', 24, 1);\n"
            if [ "$platform" = windows ]; then
                printf "UPDATE DirectoryList SET Directory = replace(Directory, '/', '\\\\');\n"
            fi
        } >"$sql"
        "$TOOL" db init "$data/umlaut-$store.db" "$sql"
    done
    "$INPUTS" mdb "$data/umlaut-jet.db" "$data/umlaut.mdb"
    "$INPUTS" mdb "$data/umlaut-jet.db" "$data/damaged.mdb" damaged
done
