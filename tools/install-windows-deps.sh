#!/usr/bin/env bash
# Installs the Debian packages that the Windows modules' cross-build and their
# tests under Wine need (idempotent): the two MinGW-w64 compilers (the -win32
# thread flavour), 64-bit Wine and 32-bit Wine (wine32 from the i386
# architecture, which is added for it), and npm, which fetches the pinned
# SQLite amalgamation at build time.
set -euo pipefail
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
PACKAGES=(
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 binutils-mingw-w64-x86-64
    binutils-mingw-w64-i686 wine64 wine32:i386 sqlite3 cmake ninja-build unzip
)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${PACKAGES[@]}"; do
    installed "$p" || missing+=("$p")
done
# npm may come with a Node.js installed from elsewhere; Debian's package would
# conflict with it, so it is installed only when there is no npm at all.
command -v npm >/dev/null 2>&1 || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && exit 0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
# The i386 and amd64 lists must come from the same mirror state: a list
# caught in the middle of a mirror's update makes the two architectures'
# versions disagree, so the update and install are tried again after a pause.
for attempt in 1 2 3 4 5; do
    $SUDO apt-get update -qq || true
    if DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"; then
        exit 0
    fi
    [ "$attempt" -lt 5 ] && { echo "install-windows-deps.sh: retrying in 60 s" >&2; sleep 60; }
done
echo "install-windows-deps.sh: could not install ${missing[*]}" >&2
exit 1
