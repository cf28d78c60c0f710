#!/usr/bin/env bash
# Installs the Debian packages that the Windows module's cross-build and its
# test under Wine need (idempotent): the two MinGW-w64 compilers (the -win32
# thread flavour), 64-bit Wine, and npm, which fetches the SQLite amalgamation
# at build time. Only the 64-bit Wine is installed: 32-bit Windows code cannot
# run on this kind of machine, so the 32-bit module is built and inspected,
# not run.
set -euo pipefail
PACKAGES=(
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 binutils-mingw-w64-x86-64
    binutils-mingw-w64-i686 wine64 sqlite3 cmake ninja-build
)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm may come with a Node.js installed from elsewhere; Debian's package would
# conflict with it, so it is installed only when there is no npm at all.
command -v npm >/dev/null 2>&1 || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
