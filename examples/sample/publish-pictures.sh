#!/usr/bin/env bash
# Publishes the sample's hypergraphics and logo with the vellumdesk tool and
# writes OUT/index.html, a page that shows each picture with its image map
# (click the hotspots), plus a small page for every link target.
#   publish-pictures.sh TOOL OUT
set -euo pipefail
TOOL=$1
OUT=$2
HERE="$(cd "$(dirname "$0")" && pwd)"

mkdir -p "$OUT"
OUT_ABS="$(cd "$OUT" && pwd)"
case "$OUT_ABS" in
    *"'"*) echo "publish-pictures: the output folder must not contain a quote" >&2; exit 1 ;;
esac

# The project database, with the output folder as the destination root.
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
SQL="$(<"$HERE/project.sql")"
printf '%s\n' "${SQL//@OUT@/$OUT_ABS/}" > "$WORK/project.sql"
"$TOOL" db init "$WORK/project.db" "$WORK/project.sql"
"$TOOL" db check "$WORK/project.db" > "$WORK/check.txt"

# Source key, SHG file, caption.
PICTURES=(
    "1|mainwindow.shg|The main window"
    "2|reconcile.shg|Reconciling a bank statement"
    "3|setup.shg|Setting up Ledgerline"
)
# All pictures in one run and one database session, from a list of
# "KEY SHG" lines; an unresolved hotspot link fails the run.
for entry in "${PICTURES[@]}"; do
    IFS='|' read -r key file _ <<< "$entry"
    printf '%s %s\n' "$key" "$HERE/$file"
done > "$WORK/pictures.txt"
"$TOOL" shg --strict "$WORK/project.db" --list "$WORK/pictures.txt"
# The images folder exists now, so naming it without a trailing "/" is fine.
"$TOOL" bmp2gif "$HERE/logo.bmp" "$OUT_ABS/images"

# Heading names by page file name, from the project's rows: group 10 pages
# are topics ("t"), group 11 pages pop-ups ("p").
declare -A TITLES
while IFS='|' read -r group name number; do
    printf -v page '%s%05d.html' "$([ "$group" = 11 ] && echo p || echo t)" "$number"
    TITLES[$page]=$name
done < <(sed -n "s/.*VALUES (\(1[01]\), [0-9]*, '\(.*\)', \([0-9]*\), [0-9]*);/\1|\2|\3/p" \
    "$HERE/project.sql" | sed "s/''/'/g")

html_escape() {
    local s=$1
    s=${s//&/&amp;}
    s=${s//</&lt;}
    s=${s//>/&gt;}
    printf '%s' "$s"
}

# A page for every link target of the maps (the start page is index.html).
for map in "$OUT_ABS"/maps/*.map; do
    grep -o 'HREF=[^>]*' "$map" | cut -d= -f2-
done | sort -u | while read -r target; do
    [ -z "$target" ] || [ "$target" = index.html ] && continue
    case "$target" in
        */* | .*) continue ;;
    esac
    title=${TITLES[$target]:-}
    if [ -z "$title" ]; then
        case "$target" in
            00000.*) title="Topic not found" ;;
            *) title="Macro hotspot ($target)" ;;
        esac
    fi
    cat > "$OUT_ABS/$target" <<EOF
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>$(html_escape "$title")</title></head>
<body><h1>$(html_escape "$title")</h1>
<p>The page <code>$(html_escape "$target")</code> of the publication.</p>
<p><a href="index.html">Back to the pictures</a></p></body></html>
EOF
done

{
    cat <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Ledgerline help: hypergraphics</title>
<style>
body{font-family:sans-serif;margin:2em}
/* An outline, not a border: a border would shift the image map's origin by
   its width, so every hotspot would sit one pixel off its picture. */
img{outline:1px solid #888;image-rendering:pixelated}
.picture{position:relative;display:inline-block;line-height:0}
.hotspot{position:absolute;box-sizing:border-box;pointer-events:none;display:none;
  outline:2px solid #d33;background:rgba(221,51,51,.12)}
.hotspot.shown{display:block}
.hotspot span{position:absolute;left:0;top:100%;margin-top:3px;padding:2px 5px;
  background:#ffe;color:#000;font:12px/1.3 sans-serif;white-space:nowrap;outline:1px solid #d33}
</style>
<script src="hotspots.js" defer></script>
</head><body>
<h1>Ledgerline help: hypergraphics</h1>
<p>Each picture below is a GIF written from an SHG hypergraphic, with the image map
written beside it. Click the hotspots: buttons and menus jump to topics, some areas
open pop-up pages, and some hotspots are invisible. Point at a picture or move
through its hotspots with the Tab key to see each hotspot's outline and the page
it opens.</p>
<p><img src="images/logo.gif" alt="Ledgerline logo"></p>
EOF
    for entry in "${PICTURES[@]}"; do
        IFS='|' read -r key file caption <<< "$entry"
        stem=${file%.*}
        echo "<h2>$(html_escape "$caption")</h2>"
        echo "<p><span class=\"picture\"><img src=\"images/$stem.gif\" usemap=\"#$stem.map\" alt=\"$(html_escape "$caption")\"></span></p>"
        cat "$OUT_ABS/maps/$stem.map"
    done
    echo "</body></html>"
} > "$OUT_ABS/index.html"
# The page titles for the hotspot labels, and the script that draws them.
{
    echo "// Page titles by file name, for the hotspot labels."
    echo "const PAGE_TITLES = {"
    for page in "${!TITLES[@]}"; do
        title=${TITLES[$page]//\\/\\\\}
        printf '  "%s": "%s",\n' "$page" "${title//\"/\\\"}"
    done
    echo "};"
    cat "$HERE/hotspots.js"
} > "$OUT_ABS/hotspots.js"
echo "Pictures published; open $OUT_ABS/index.html"
