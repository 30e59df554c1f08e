#!/usr/bin/env bash
# Opens the results pages of the fixture contests (Russian, English, and one of hostile
# logs) in headless Chromium. A copy of each page with page_check.js appended checks the
# rendered page (table, three charts with bars drawn, report links that resolve, log text
# kept as text); a screenshot of the page itself is kept as OUT/<variant>/page.png.
#   page_in_browser_test.sh WRITER OUT CHECK_JS
set -euo pipefail
writer=$1 out=$2 check=$3

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "SKIPPED: chromium is not installed (scripts/install-deps.sh installs it)"
  exit 77
fi

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
failed=0
for variant in ru en ru-hostile; do
  dir="$out/$variant"
  args=("$dir")
  [ "$variant" = en ] && args+=(en)
  hostile=0
  [ "$variant" = ru-hostile ] && { args+=(hostile); hostile=1; }
  "$writer" "${args[@]}" >/dev/null
  logs=$(find "$dir/reports" -type f | wc -l)
  { cat "$dir/index.html"; printf '<script>\n'; cat "$check"; printf '</script>\n'; } > "$dir/check.html"

  run_browser() {
    local profile
    profile=$(mktemp -d)
    timeout 120 "$browser" --headless --no-sandbox --disable-gpu --no-first-run \
      --disable-background-networking --disable-component-update --disable-sync \
      --user-data-dir="$profile" --allow-file-access-from-files --window-size=1100,1700 \
      --hide-scrollbars "$@" 2>>"$dir/chromium.log"
    rm -rf "$profile"
  }
  title=$(run_browser --dump-dom "file://$dir/check.html?logs=$logs&hostile=$hostile" |
          grep -o '<title>[^<]*</title>' | head -n 1 || true)
  run_browser --screenshot="$dir/page.png" "file://$dir/index.html" >/dev/null
  if [ "$title" != "<title>PAGE-CHECK OK</title>" ]; then
    echo "$variant: ${title:-no title (see $dir/chromium.log)}"
    failed=1
  elif [ ! -s "$dir/page.png" ]; then
    echo "$variant: no screenshot taken (see $dir/chromium.log)"
    failed=1
  else
    echo "$variant: page checked in the browser, screenshot $dir/page.png"
  fi
done
exit $failed
