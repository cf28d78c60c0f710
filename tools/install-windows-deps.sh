#!/usr/bin/env bash
# Installs the Debian packages that the Windows modules' cross-build and their
# tests under Wine need (idempotent): the two MinGW-w64 compilers (the -win32
# thread flavour), 64-bit Wine and 32-bit Wine (wine32 from the i386
# architecture, which is added for it), zip, and npm, which fetches the
# pinned SQLite amalgamation at build time.
set -euo pipefail
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
PACKAGES=(
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 binutils-mingw-w64-x86-64
    binutils-mingw-w64-i686 wine64 sqlite3 cmake ninja-build zip unzip
)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${PACKAGES[@]}"; do
    installed "$p" || missing+=("$p")
done
# npm may come with a Node.js installed from elsewhere; Debian's package would
# conflict with it, so it is installed only when there is no npm at all.
command -v npm >/dev/null 2>&1 || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
    # A list that fails (such as an i386 one, below) does not stop the rest.
    $SUDO apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

# 32-bit Wine runs the 32-bit module. Its i386 packages must match the
# installed amd64 ones version for version; while a mirror is part-way
# through an update (or the system's packages are newer than the i386 lists)
# they cannot, and then the 32-bit module is built and checked but not run:
# say so loudly, and go on.
installed wine32:i386 && exit 0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
for attempt in 1 2 3; do
    $SUDO apt-get update -qq || true
    if DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        wine32:i386; then
        exit 0
    fi
    [ "$attempt" -lt 3 ] && sleep 30
done
echo "install-windows-deps.sh: WARNING: 32-bit Wine (wine32:i386) could not be installed;" \
    "the 32-bit module will be built and inspected but not run" >&2
