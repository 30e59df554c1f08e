#!/usr/bin/env bash
# Plants each mutant of tests/mutation/mutants in a scratch copy of the tree,
# rebuilds the native preset and runs its tests: a mutant is killed when a test
# fails, survived when all pass. Takes minutes; not part of CI.
#
#   bash scripts/mutation-check.sh [PATTERN]   # only the mutants whose line matches
#
# The scratch copy lives in build/mutation (MUTATION_DIR overrides it) and is
# reused, so a second run rebuilds only what changed. Exit status 0 only when
# every mutant was applied and killed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mutants_file="$root/tests/mutation/mutants"
scratch=${MUTATION_DIR:-$root/build/mutation}
pattern=${1:-}
jobs=${JOBS:-2}

if command -v ccache >/dev/null && [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
# The scratch copy compiles the same sources as the tree: let ccache share them.
export CCACHE_NOHASHDIR=1

started=$(date +%s)
echo "mutation-check: copying the tree to $scratch/src"
mkdir -p "$scratch/src"
tar -C "$root" --exclude=./build --exclude=./.git --exclude=./zelta-demo -cf - . |
  tar -C "$scratch/src" -xf -
cd "$scratch/src"
# tar keeps the files' old times: a file restored over a mutant planted by an earlier
# run would look older than its mutated object. Every file a mutant names is rebuilt.
grep -v -e '^#' -e '^[[:space:]]*$' "$mutants_file" | sed 's/ ~~ .*//' | sort -u |
  while IFS= read -r f; do [ -f "$f" ] && touch "$f"; done

log="$scratch/last.log"
build() { cmake --build --preset native -j"$jobs" >"$log" 2>&1; }
run_tests() { ctest --preset native --stop-on-failure >>"$log" 2>&1; }

echo "mutation-check: building the native preset (log: $log)"
cmake --preset native >"$log" 2>&1 || { cat "$log"; exit 1; }
build || { tail -40 "$log"; echo "mutation-check: the unmutated tree does not build" >&2; exit 1; }
run_tests || { tail -40 "$log"; echo "mutation-check: the unmutated tree fails its tests" >&2; exit 1; }

mapfile -t lines < <(grep -v -e '^#' -e '^[[:space:]]*$' "$mutants_file" | grep -e "$pattern")
total=${#lines[@]}
[ "$total" -gt 0 ] || { echo "mutation-check: no mutant matches '$pattern'" >&2; exit 1; }

current=""
restore() { if [ -n "$current" ]; then cp "$scratch/original" "$current"; current=""; fi; }
trap restore EXIT

killed=0
failed=()
n=0
for line in "${lines[@]}"; do
  n=$((n + 1))
  file=${line%% ~~ *}
  rest=${line#* ~~ }
  expression=${rest%% ~~ *}
  description=${rest#* ~~ }
  t0=$(date +%s)
  if [ ! -f "$file" ] || [ "$rest" = "$line" ] || [ "$description" = "$rest" ]; then
    verdict="malformed"
  else
    cp "$file" "$scratch/original"
    current=$file
    if ! sed -i -e "$expression" "$file" || cmp -s "$file" "$scratch/original"; then
      verdict="not applied"
    elif ! build; then
      verdict="does not build"
    elif run_tests; then
      verdict="survived"
    else
      verdict="killed"
    fi
    # Copied, not moved back, so that the file is newer than its object and rebuilt.
    restore
  fi
  printf '[%2d/%d] %-14s %s: %s (%ds)\n' "$n" "$total" "$verdict" "$file" "$description" \
    "$(($(date +%s) - t0))"
  if [ "$verdict" = killed ]; then killed=$((killed + 1)); else failed+=("$verdict: $line"); fi
done

echo
echo "mutation-check: $killed of $total mutants killed in $(($(date +%s) - started)) s"
if [ ${#failed[@]} -gt 0 ]; then
  printf '  %s\n' "${failed[@]}"
  exit 1
fi
