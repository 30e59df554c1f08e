#!/usr/bin/env bash
# The robot's pages in a real browser: `zelta robot` serves a simulated contest on
# loopback, puppeteer-core (installed from the lock file into OUT) drives Debian's
# Chromium through the upload, the receipt, the organiser's check and the published
# results. Screenshots stay in OUT.
#   browser_test.sh SOURCE_DIR OUT ZELTA
set -euo pipefail
source_dir=$1 out=$2 zelta=$3

for tool in chromium node npm; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
rm -rf "$out/contest" "$out/host" "$out"/*.png
mkdir -p "$out/node"
out=$(cd "$out" && pwd)

# puppeteer-core as the lock file pins it, into the build folder.
cp "$source_dir/robot/tests/browser/package.json" "$source_dir/robot/tests/browser/package-lock.json" "$out/node/"
(cd "$out/node" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)

# A contest of simulated logs whose region list also holds the sample's stations, and
# the score that `zelta score` gives the sample log with it.
"$zelta" simulate --stations 12 --qsos 60 --out "$out/contest" >/dev/null
cat "$source_dir/examples/zelta.dom" >>"$out/contest/Plugins/zelta.dom"
mkdir -p "$out/host/Plugins"
cp "$out/contest/Plugins/zelta.dom" "$out/host/Plugins/"
score=$("$zelta" score "$source_dir/examples/sample.adi" --dir "$out/host" --batch 2>/dev/null |
        sed -n 's/.*Score: .* = \([0-9]*\).*/\1/p')

"$zelta" robot "$out/contest" --listen 127.0.0.1:0 2>"$out/robot.log" &
robot=$!
trap 'kill $robot 2>/dev/null || true' EXIT
port=
for _ in $(seq 100); do
  port=$(sed -n 's|.*listening on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$out/robot.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$out/robot.log"; exit 1; }
for log in "$out"/contest/logs/*; do
  "$zelta" submit "$log" --robot "http://127.0.0.1:$port" >/dev/null
done

token=$(cat "$out/contest/robot/organiser.token")
NODE_PATH="$out/node/node_modules" node "$source_dir/robot/tests/browser/pages_check.js" \
  "http://127.0.0.1:$port" "$source_dir/examples/sample.adi" Q1ABC "$score" "$token" "$out"
kill -TERM $robot
wait $robot
trap - EXIT
echo "screenshots: $out/upload.png $out/receipt.png $out/organiser.png $out/results.png"
