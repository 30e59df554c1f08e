#!/usr/bin/env bash
# Builds both presets and runs every test: native, then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset win32
cmake --build --preset win32
ctest --preset win32

# The native unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize

# Each fuzz target for about 30 s from its seed corpus.
cmake --preset fuzz
cmake --build --preset fuzz
bash fuzz/run.sh
