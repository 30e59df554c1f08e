#!/usr/bin/env bash
# Runs every fuzz target of the `fuzz` build for a bounded time (ZELTA_FUZZ_SECONDS,
# 30 by default) with a fixed seed, from a scratch copy of its seed corpus in
# fuzz/corpus/<target>/. Fails when any target finds a crash, a leak, a timeout or
# a failed property; the input that did it is kept in build/fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$PWD/build/fuzz/fuzz"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
targets=("$bin"/*_fuzzer)
[ -x "${targets[0]}" ] || { echo "fuzz: no fuzz targets in $bin (build the fuzz preset first)" >&2; exit 1; }
failed=0
for target in "${targets[@]}"; do
  name="$(basename "$target")"
  work="$scratch/$name"  # absolute paths: a target may change its working folder
  mkdir -p "$work/corpus" "$work/artifacts"
  if [ -d "fuzz/corpus/$name" ]; then cp -R "fuzz/corpus/$name/." "$work/corpus/"; fi
  if "$target" -seed=1 -max_total_time="${ZELTA_FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1; then
    echo "fuzz: $name: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$work/log" || echo done)"
  else
    echo "fuzz: $name FAILED; the end of its log:" >&2
    tail -n 60 "$work/log" >&2
    mkdir -p build/fuzz/crashes && cp -R "$work/artifacts/." build/fuzz/crashes/ 2>/dev/null || true
    failed=1
  fi
done
exit "$failed"
