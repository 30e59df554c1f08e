#!/usr/bin/env bash
# Builds the release from the sources into dist/:
#   zelta-trophy-VERSION-setup.exe   the Windows installer (NSIS)
#   zelta-trophy-VERSION-win32.zip   the same files for a manual copy
#   zelta_VERSION_amd64.deb          zelta and the native plug-in for Debian 12
#   SHA256SUMS
#   package.sh [--out DIR] [--build DIR]    (defaults: dist, build/package)
# The version is the one in the top CMakeLists.txt. SOURCE_DATE_EPOCH (default: the
# time of the last commit) dates every file, so that a second build of the same
# sources, in any folder, gives the same bytes.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=$src/dist
build=$src/build/package
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "usage: package.sh [--out DIR] [--build DIR]" >&2; exit 2 ;;
  esac
done
# As root, whatever is missing is installed; otherwise the tools must be there.
if [ "$(id -u)" -eq 0 ]; then
  bash "$src/scripts/install-deps.sh"
fi
for tool in cmake ninja i686-w64-mingw32-g++-posix makensis dpkg-deb dpkg-shlibdeps zip git; do
  command -v "$tool" >/dev/null ||
    { echo "package: $tool is missing: run scripts/install-deps.sh as root" >&2; exit 1; }
done
mkdir -p "$out" "$build"
out=$(cd "$out" && pwd)
build=$(cd "$build" && pwd)

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null) || {
    echo "package: not a git checkout: set SOURCE_DATE_EPOCH to the release time" >&2
    exit 2
  }
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
step() { echo "package: $*" >&2; }

# Neither folder may leave its name in the binaries.
prefix_map="-ffile-prefix-map=$src=. -ffile-prefix-map=$build=."
# logged LOG command...: the output goes to LOG and is shown when the command fails.
logged() {
  "${@:2}" >"$1" 2>&1 || { tail -n 40 "$1" >&2; echo "package: failed, see $1" >&2; return 1; }
}
# build_targets DIR "TARGET..." cmake-options...: configures afresh in DIR and builds
# the targets; a terminal sees the build's progress line.
build_targets() {
  local dir=$1 targets=$2
  shift 2
  rm -rf "$dir"
  logged "$dir.log" cmake --no-warn-unused-cli -S "$src" -B "$dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DZELTA_BENCH=OFF \
    "-DCMAKE_C_FLAGS=$prefix_map" "-DCMAKE_CXX_FLAGS=$prefix_map" \
    -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s -DCMAKE_SHARED_LINKER_FLAGS_RELEASE=-s "$@"
  if [ -t 1 ]; then
    cmake --build "$dir" --target $targets -- -j2
  else
    logged "$dir.log" cmake --build "$dir" --target $targets -- -j2
  fi
}

step "building the Windows files (i686-w64-mingw32)"
build_targets "$build/win32" "Stats Ext_zelta zelta" \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/i686-w64-mingw32.cmake"
step "building zelta and libStats.so"
build_targets "$build/native" "Stats zelta zelta_manual_page"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/native/CMakeCache.txt")
reported=$("$build/native/bin/zelta" --version)
if [ "$reported" != "zelta $version" ]; then
  echo "package: zelta --version says '$reported', the build says $version" >&2
  exit 1
fi
release_date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
changelog_date=$(date -u -R -d "@$SOURCE_DATE_EPOCH")
# fill FILE: the text with the version and the release date put in.
fill() {
  sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$release_date/g" \
    -e "s/@CHANGELOG_DATE@/$changelog_date/g" "$1"
}
# windows_text FILE: UTF-8 with a byte order mark and CR LF, as Notepad reads it.
windows_text() { printf '\357\273\277'; fill "$1" | sed 's/$/\r/'; }
# Files dated at the release time, modes fixed, whatever the umask and checkout.
settle() {
  find "$1" -type d -exec chmod 755 {} +
  find "$1" -type f -exec chmod 644 {} +
  [ $# -gt 1 ] && chmod 755 "${@:2}"
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

step "laying out the Windows files"
win=$build/stage-win32
rm -rf "$win"
mkdir -p "$win/Plugins/zelta-trophy/examples"
cp "$build/win32/bin/Stats.dll" "$build/win32/bin/Ext_zelta.exe" "$win/Plugins/"
windows_text "$src/packaging/guide/guide.ru.txt" >"$win/Plugins/zelta-trophy/guide.ru.txt"
windows_text "$src/packaging/guide/guide.en.txt" >"$win/Plugins/zelta-trophy/guide.en.txt"
cp "$src/examples/zelta.dom" "$src/examples/QOLEB.ini" "$src/examples/cabrillo.ini" \
  "$src/examples/sample.adi" "$win/Plugins/zelta-trophy/examples/"
settle "$win"

rm -f "$out"/zelta-trophy-*-setup.exe "$out"/zelta-trophy-*-win32.zip "$out"/zelta_*_amd64.deb \
  "$out/SHA256SUMS"
setup=zelta-trophy-$version-setup.exe
zip=zelta-trophy-$version-win32.zip
deb=zelta_${version}_amd64.deb

step "making $setup (makensis)"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$win" -DOUTFILE="$out/$setup" \
  "$src/packaging/windows/zelta_trophy.nsi" >"$build/makensis.log" ||
  { cat "$build/makensis.log" >&2; exit 1; }

step "making $zip"
# Members in byte order, no extra fields (owners, Unix times), DOS times in UTC.
(cd "$win" && find . -type f | sed 's|^\./||' | sort | zip -X -D -q -9 "$out/$zip" -@)

step "making $deb"
pkg=$build/stage-deb
rm -rf "$pkg"
mkdir -p "$pkg/DEBIAN" "$pkg/usr/bin" "$pkg/usr/lib/zelta" "$pkg/usr/share/man/man1" \
  "$pkg/usr/share/doc/zelta/examples"
cp "$build/native/bin/zelta" "$pkg/usr/bin/"
cp "$build/native/bin/libStats.so" "$pkg/usr/lib/zelta/"
# The log robot's service and the daily backup of its database: installed, not enabled.
mkdir -p "$pkg/lib/systemd/system"
cp "$src/packaging/debian/zelta-robot.service" "$src/packaging/debian/zelta-robot-backup.service" \
  "$src/packaging/debian/zelta-robot-backup.timer" "$pkg/lib/systemd/system/"
fill "$build/native/zelta.1" | gzip -9n >"$pkg/usr/share/man/man1/zelta.1.gz"
fill "$src/packaging/debian/changelog" | gzip -9n >"$pkg/usr/share/doc/zelta/changelog.gz"
cp "$src/packaging/debian/copyright" "$pkg/usr/share/doc/zelta/"
fill "$src/packaging/guide/guide.ru.txt" >"$pkg/usr/share/doc/zelta/guide.ru.txt"
fill "$src/packaging/guide/guide.en.txt" >"$pkg/usr/share/doc/zelta/guide.en.txt"
cp "$src/examples/zelta.dom" "$src/examples/QOLEB.ini" "$src/examples/cabrillo.ini" \
  "$src/examples/sample.adi" "$pkg/usr/share/doc/zelta/examples/"
# The libraries zelta and the plug-in need, as dpkg-shlibdeps finds them.
shlibs=$build/shlibdeps
rm -rf "$shlibs" && mkdir -p "$shlibs/debian"
printf 'Source: zelta\n\nPackage: zelta\nArchitecture: amd64\n' >"$shlibs/debian/control"
depends=$(cd "$shlibs" && dpkg-shlibdeps -O "$pkg/usr/bin/zelta" "$pkg/usr/lib/zelta/libStats.so" |
  sed -n 's/^shlibs:Depends=//p')
size=$(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
fill "$src/packaging/debian/control" |
  sed -e "s/@DEPENDS@/$depends/" -e "s/@SIZE@/$size/" >"$pkg/DEBIAN/control"
(cd "$pkg" && find lib usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
settle "$pkg" "$pkg/usr/bin/zelta"
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$out/$deb" >/dev/null

(cd "$out" && sha256sum "$setup" "$zip" "$deb" >SHA256SUMS)
step "done: $out"
(cd "$out" && ls -l "$setup" "$zip" "$deb" SHA256SUMS) >&2
