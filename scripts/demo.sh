#!/usr/bin/env bash
# The main job: builds the native plug-in and the stand-in host, then scores the
# sample log in examples/ in a fresh host folder (./zelta-demo).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset native >/dev/null
cmake --build --preset native --target zelta >/dev/null  # zelta and the plug-in it loads
./build/native/bin/zelta demo "$@"
