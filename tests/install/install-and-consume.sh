#!/usr/bin/env bash
# Installs the build BUILD-DIR with cmake --install (CMAKE: the cmake to use) into a fresh prefix and
# checks it with consume.sh.
#   tests/install/install-and-consume.sh BUILD-DIR VERSION BUNDLED
set -euo pipefail
PREFIX="$(mktemp -d)"
trap 'rm -rf "$PREFIX"' EXIT
"${CMAKE:-cmake}" --install "$1" --prefix "$PREFIX/inst" >/dev/null
"$(dirname "$0")/consume.sh" "$PREFIX/inst" "$2" "$3"
