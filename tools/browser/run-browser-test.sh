#!/usr/bin/env bash
# Publishes the sample with BUILD's tool and checks it in Debian's chromium
# (tools/browser/check-sample.mjs, driven by playwright-core). Then checks the
# check: copies of the publication with one hotspot moved by a pixel, with a
# linked page missing, with a border around the pictures, and without the
# script that outlines hotspots must each fail.
#   tools/browser/run-browser-test.sh BUILD
# Needs chromium, node and npm (tools/install-deps.sh installs them);
# playwright-core is installed from its lock file into BUILD/browser-test.
set -euo pipefail
BUILD=$(cd "${1:?usage: run-browser-test.sh BUILD}" && pwd)
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
WORK="$BUILD/browser-test"
CHROMIUM=${VD_CHROMIUM:-/usr/bin/chromium}
[ -x "$CHROMIUM" ] || { echo "browser test: $CHROMIUM is missing (tools/install-deps.sh)" >&2; exit 1; }

mkdir -p "$WORK"
cp "$HERE/package.json" "$HERE/package-lock.json" "$WORK/"
if ! cmp -s "$HERE/package-lock.json" "$WORK/node_modules/.package-lock.json.installed" 2>/dev/null; then
    # Only the npm package; playwright must not fetch browsers of its own.
    (cd "$WORK" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --silent)
    cp "$HERE/package-lock.json" "$WORK/node_modules/.package-lock.json.installed"
fi
cp "$HERE/check-sample.mjs" "$WORK/"

rm -rf "$WORK/sample"
"$ROOT/examples/run-sample.sh" "$BUILD" "$WORK/sample" > "$WORK/publish.log"
check() { node "$WORK/check-sample.mjs" "$@" "$ROOT/examples/sample" "$BUILD/vellumdesk"; }

echo "--- the published sample"
check "$WORK/sample"

# A mutated copy must fail the check; its faults are shown.
expect_failure() {
    local name=$1
    echo "--- mutated copy: $name (must fail)"
    if check --first-fault "$WORK/$name" 2> "$WORK/$name.log"; then
        echo "browser test: the check passed the copy '$name' it must fail" >&2
        exit 1
    fi
    sed 's/^/    /' "$WORK/$name.log"
}
mutate() {
    rm -rf "${WORK:?}/$1"
    cp -r "$WORK/sample" "$WORK/$1"
}

mutate moved-hotspot
/usr/bin/python3 - "$WORK/moved-hotspot/index.html" <<'PY'
import re, sys
path = sys.argv[1]
text = open(path, encoding="utf-8", newline="").read()
def shift(m):
    l, t, r, b = map(int, m.group(1).split(","))
    return 'COORDS="%d,%d,%d,%d"' % (l + 1, t, r + 1, b)
open(path, "w", encoding="utf-8", newline="").write(re.sub(r'COORDS="([-0-9,]+)"', shift, text, count=1))
PY
expect_failure moved-hotspot

mutate missing-page
page=$(grep -o 'HREF=t[0-9]*\.html' "$WORK/missing-page/index.html" | head -n1 | cut -d= -f2)
rm "$WORK/missing-page/$page"
expect_failure missing-page

mutate bordered-pictures
sed -i 's/^img{outline:1px solid #888;/img{border:1px solid #888;/' "$WORK/bordered-pictures/index.html"
grep -q '^img{border:1px' "$WORK/bordered-pictures/index.html"
expect_failure bordered-pictures

mutate no-hotspot-outlines
rm "$WORK/no-hotspot-outlines/hotspots.js"
expect_failure no-hotspot-outlines

echo "browser test passed"
