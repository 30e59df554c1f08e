#!/usr/bin/env bash
# Builds the release twice, from two copies of the sources in folders of different
# names, and compares the results byte for byte. WORK/a/dist is kept for the
# installer and package tests.
#   reproducible_test.sh SOURCE_DIR WORK
set -uo pipefail
source_dir=$1
work=$2
source "$source_dir/tests/support/checks.sh"

# Both builds date their files alike: from the commit of the sources under test.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null ||
    stat -c %Y "$source_dir/CMakeLists.txt")
fi
export SOURCE_DATE_EPOCH
rm -rf "$work"
for copy in a/zelta b/other-folder-name; do
  mkdir -p "$work/$copy"
  tar -C "$source_dir" --exclude=./.git --exclude=./build --exclude=./dist \
    --exclude=./zelta-demo -cf - . | tar -C "$work/$copy" -xf - || exit 1
done
bash "$work/a/zelta/scripts/package.sh" --out "$work/a/dist" --build "$work/a/build" || exit 1
bash "$work/b/other-folder-name/scripts/package.sh" --out "$work/b/dist" --build "$work/b/build" ||
  exit 1

version=$(sed -n 's/^project(ZeltaTrophy VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
for f in "zelta-trophy-$version-setup.exe" "zelta-trophy-$version-win32.zip" \
    "zelta_${version}_amd64.deb" SHA256SUMS; do
  present "$work/a/dist/$f"
  same "$work/b/dist/$f" "$work/a/dist/$f" "second build"
done
(cd "$work/a/dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
finish "reproducible release"
