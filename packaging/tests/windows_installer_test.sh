#!/usr/bin/env bash
# The installer under Wine: a silent install into a fresh host folder, the files
# where they belong, the installed plug-in scoring the sample log through the
# build's zelta.exe as the build's own plug-in does, a second install over the
# operator's edited region list and settings, and the uninstaller removing its
# files only.
#   windows_installer_test.sh SOURCE_DIR DIST WORK ZELTA_EXE WINE_RUN WINE_PREFIX
set -uo pipefail
source_dir=$1
dist=$2
work=$3
zelta=$4
wine_run=(bash "$5" --prefix "$6")
source "$(dirname "$0")/checks.sh"
export LC_ALL=ru_RU.UTF-8  # the operators' locale, as the golden files are made
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZeltaTrophy'

setup=$(ls "$dist"/zelta-trophy-*-setup.exe) || exit 1
version=${setup##*/zelta-trophy-}
version=${version%-setup.exe}
rm -rf "$work"
mkdir -p "$work/zip"
(cd "$work/zip" && unzip -q "$dist/zelta-trophy-$version-win32.zip") || exit 1
zipped=$work/zip/Plugins

winpath() { echo "Z:${1//\//\\}"; }
install_into() {  # install_into HOST: silent install, as an operator's script runs it
  "${wine_run[@]}" "$setup" /S "/D=$(winpath "$1")" || fail "setup /S into $1 failed"
}
# The uninstaller copies itself away and returns at once: wait for its end.
uninstall_from() {  # uninstall_from HOST
  "${wine_run[@]}" "$1/Plugins/zelta-trophy/uninstall.exe" /S || fail "uninstall of $1 failed"
  local i
  for i in $(seq 60); do
    if [ ! -e "$1/Plugins/zelta-trophy/uninstall.exe" ] &&
        ! "${wine_run[@]}" reg query "$uninstall_key" >/dev/null 2>&1; then
      return
    fi
    sleep 1
  done
  fail "the uninstaller of $1 did not finish within a minute"
}
score() {  # score HOST NAME [--plugin PATH]: the sample log with the report flag
  cp "$source_dir/examples/sample.adi" "$source_dir/examples/cabrillo.ini" "$1/"
  (cd "$1" && "${wine_run[@]}" --gui "$zelta" score sample.adi --report --batch "${@:3}" \
    >"$work/$2.out" 2>"$work/$2.err") || { fail "$2: zelta.exe failed"; cat "$work/$2.err" >&2; }
}

# A fresh host folder: the host program's Plugins folder, empty.
host=$work/Orvo
mkdir -p "$host/Plugins"
install_into "$host"
for f in Stats.dll Ext_zelta.exe zelta-trophy/guide.ru.txt zelta-trophy/guide.en.txt; do
  same "$host/Plugins/$f" "$zipped/$f" "installed $f (as in the zip)"
done
same "$host/Plugins/zelta.dom" "$source_dir/examples/zelta.dom" "sample region list"
same "$host/Plugins/QOLEB.ini" "$source_dir/examples/QOLEB.ini" "sample settings"
present "$host/Plugins/zelta-trophy/uninstall.exe"
"${wine_run[@]}" reg query "$uninstall_key" >"$work/registry.txt" 2>&1
has "$work/registry.txt" "ZELTA TROPHY $version"
has "$work/registry.txt" "uninstall.exe"
has "$zipped/zelta-trophy/guide.en.txt" "ZELTA TROPHY $version"
# The version resource shown by the files' Properties dialog.
for f in "$setup" "$host/Plugins/Stats.dll" "$host/Plugins/Ext_zelta.exe"; do
  shown=$(strings -el "$f" | grep -x -A1 ProductVersion | tail -n 1)
  [ "$shown" = "$version" ] || fail "$f: ProductVersion '$shown', expected $version"
done

# The installed plug-in gives the bytes that the build's own plug-in gives.
golden=$source_dir/host/testdata
build_host=$work/build-tree
mkdir -p "$build_host/Plugins"
cp "$source_dir/examples/zelta.dom" "$source_dir/examples/QOLEB.ini" "$build_host/Plugins/"
score "$build_host" build-tree
score "$host" installed --plugin "$(winpath "$host/Plugins/Stats.dll")"
same "$work/installed.out" "$work/build-tree.out" "summary of the installed plug-in"
same "$work/installed.out" "$golden/sample-summary.txt" "summary of the installed plug-in"
for f in Q1ABC-ubn.txt Q1ABC.cbr Plugins/QOLEB.ini; do
  same "$host/$f" "$build_host/$f" "$f of the installed plug-in"
done

# The operator edits the region list; the plug-in has written the score into the
# settings. A second install (an upgrade) keeps both and renews the program.
echo "Q9ZZ added by the operator" >>"$host/Plugins/zelta.dom"
cp "$host/Plugins/zelta.dom" "$host/Plugins/QOLEB.ini" "$work/"
echo "an older build" >"$host/Plugins/Stats.dll"
install_into "$host"
same "$host/Plugins/zelta.dom" "$work/zelta.dom" "edited region list after reinstall"
same "$host/Plugins/QOLEB.ini" "$work/QOLEB.ini" "settings after reinstall"
same "$host/Plugins/Stats.dll" "$zipped/Stats.dll" "Stats.dll after reinstall"

# Uninstalling keeps everything the operator made or changed.
uninstall_from "$host"
absent "$host/Plugins/Stats.dll" "$host/Plugins/Ext_zelta.exe" "$host/Plugins/zelta-trophy"
same "$host/Plugins/zelta.dom" "$work/zelta.dom" "edited region list after uninstall"
same "$host/Plugins/QOLEB.ini" "$work/QOLEB.ini" "settings after uninstall"
present "$host/Q1ABC-ubn.txt" "$host/Q1ABC.cbr" "$host/cabrillo.ini" "$host/sample.adi"

# Installed and removed untouched, the samples go too; the host's Plugins stays.
untouched=$work/untouched
mkdir -p "$untouched/Plugins"
install_into "$untouched"
uninstall_from "$untouched"
if [ -d "$untouched/Plugins" ]; then
  leftover=$(cd "$untouched/Plugins" && find . -mindepth 1)
  [ -z "$leftover" ] || fail "left in Plugins after uninstall: $leftover"
else
  fail "the uninstaller removed the host's Plugins folder"
fi

finish "Windows installer"
