#!/usr/bin/env bash
# The installer under Wine: a silent install into a fresh host folder, the installed
# plug-in scoring the sample log through the build's zelta.exe as the build's own
# plug-in does, a second install over the operator's edits, and the uninstaller.
#   windows_installer_test.sh SOURCE_DIR DIST WORK ZELTA_EXE WINE_RUN WINE_PREFIX
set -uo pipefail
source_dir=$1 dist=$2 work=$3 zelta=$4
wine_run=(bash "$5" --prefix "$6")
source "$source_dir/tests/support/checks.sh"
export LC_ALL=ru_RU.UTF-8  # the operators' locale, in which the golden files are made
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZeltaTrophy'

setup=$(ls "$dist"/zelta-trophy-*-setup.exe) || exit 1
version=${setup##*/zelta-trophy-} && version=${version%-setup.exe}
rm -rf "$work" && mkdir -p "$work/zip"
(cd "$work/zip" && unzip -q "$dist/zelta-trophy-$version-win32.zip") || exit 1
zipped=$work/zip/Plugins

winpath() { echo "Z:${1//\//\\}"; }
install_into() { "${wine_run[@]}" "$setup" /S "/D=$(winpath "$1")" || fail "setup into $1"; }
uninstall_from() {  # the uninstaller copies itself away and returns at once: wait for it
  "${wine_run[@]}" "$1/Plugins/zelta-trophy/uninstall.exe" /S || fail "uninstall from $1"
  for _ in $(seq 60); do
    [ ! -e "$1/Plugins/zelta-trophy" ] && ! "${wine_run[@]}" reg query "$key" >/dev/null 2>&1 &&
      return
    sleep 1
  done
  fail "the uninstaller of $1 did not finish within a minute"
}
score() {  # score HOST NAME [--plugin PATH]: the sample log with the report flag
  cp "$source_dir/examples/sample.adi" "$source_dir/examples/cabrillo.ini" "$1/"
  (cd "$1" && "${wine_run[@]}" --gui "$zelta" score sample.adi --report --batch "${@:3}" \
    >"$work/$2.out" 2>"$work/$2.err") || fail "$2: zelta.exe failed: $(cat "$work/$2.err")"
}

host=$work/Orvo  # a fresh host folder: its Plugins folder is empty
mkdir -p "$host/Plugins"
install_into "$host"
for f in Stats.dll Ext_zelta.exe zelta-trophy/guide.ru.txt zelta-trophy/guide.en.txt; do
  same "$host/Plugins/$f" "$zipped/$f" "installed $f (as in the zip)"
done
same "$host/Plugins/zelta.dom" "$source_dir/examples/zelta.dom" "sample region list"
same "$host/Plugins/QOLEB.ini" "$source_dir/examples/QOLEB.ini" "sample settings"
"${wine_run[@]}" reg query "$key" >"$work/registry.txt" 2>&1
has "$work/registry.txt" "ZELTA TROPHY $version"
has "$work/registry.txt" "zelta-trophy\\uninstall.exe"
for f in "$setup" "$host/Plugins/Stats.dll" "$host/Plugins/Ext_zelta.exe"; do
  shown=$(strings -el "$f" | grep -x -A1 ProductVersion | tail -n 1)
  [ "$shown" = "$version" ] || fail "$f: version resource says '$shown', not $version"
done

# The installed plug-in gives the bytes of the build's own, held to the golden files.
mkdir -p "$work/build/Plugins"
cp "$source_dir/examples/zelta.dom" "$source_dir/examples/QOLEB.ini" "$work/build/Plugins/"
score "$work/build" build
score "$host" installed --plugin "$(winpath "$host/Plugins/Stats.dll")"
same "$work/installed.out" "$source_dir/cli/testdata/sample-summary.txt" "summary"
for f in Q1ABC-ubn.txt Q1ABC.cbr Plugins/QOLEB.ini; do
  same "$host/$f" "$work/build/$f" "$f of the installed plug-in"
done

# An upgrade over the operator's region list and the settings the plug-in wrote.
echo "Q9ZZ added by the operator" >>"$host/Plugins/zelta.dom"
cp "$host/Plugins/zelta.dom" "$host/Plugins/QOLEB.ini" "$work/"
echo "an older build" >"$host/Plugins/Stats.dll"
install_into "$host"
same "$host/Plugins/Stats.dll" "$zipped/Stats.dll" "Stats.dll after the upgrade"
uninstall_from "$host"
for f in zelta.dom QOLEB.ini; do same "$host/Plugins/$f" "$work/$f" "the operator's $f"; done
for f in Plugins/Stats.dll Plugins/Ext_zelta.exe Plugins/zelta-trophy; do
  [ ! -e "$host/$f" ] || fail "$f left by the uninstaller"
done
for f in Q1ABC-ubn.txt Q1ABC.cbr cabrillo.ini sample.adi; do
  [ -e "$host/$f" ] || fail "the uninstaller removed the operator's $f"
done

# Installed and removed untouched, the samples go too; the host's Plugins stays.
mkdir -p "$work/untouched/Plugins"
install_into "$work/untouched"
uninstall_from "$work/untouched"
left=$(cd "$work/untouched/Plugins" && find . -mindepth 1)
[ -d "$work/untouched/Plugins" ] && [ -z "$left" ] || fail "Plugins after uninstall: '$left'"

finish "Windows installer"
