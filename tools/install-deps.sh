#!/usr/bin/env bash
# Installs the Debian packages that building and testing need (idempotent):
# help2man makes the manual page; chromium, nodejs and npm run the browser
# test of the published sample (tools/browser/run-browser-test.sh).
set -euo pipefail
PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libsqlite3-dev sqlite3
    libgif-dev python3 python3-pil imagemagick
    clang libclang-rt-14-dev
    mdbtools-dev mdbtools
    valgrind help2man chromium
)
# Node.js and npm for the browser test; a Node.js that brings its own npm
# (from another source) is kept as it is.
command -v node >/dev/null 2>&1 || PACKAGES+=(nodejs)
command -v npm >/dev/null 2>&1 || PACKAGES+=(npm)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq || true  # a failing foreign-architecture list must not stop it
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
