#!/usr/bin/env bash
# Runs a Windows program of the cross build under 32-bit Wine.
#   wine-run.sh [--prefix DIR] [--gui] program.exe args...
# --gui runs it on a virtual display (xvfb-run -a) in a prefix of its own
# (DIR-gui): Wine's desktop belongs to the first process of a prefix, so a
# program started without a display would keep later windows from being shown.
# The Wine server of that prefix is ended afterwards, so that the next GUI run
# starts on its own display. The build passes its prefix with --prefix; it is
# created on first use.
set -euo pipefail

gui=0
prefix="${WINEPREFIX:-$HOME/.wine-zelta}"
while [ $# -gt 0 ]; do
  case "$1" in
    --gui) gui=1; shift ;;
    --prefix) prefix="$2"; shift 2 ;;
    *) break ;;
  esac
done
[ "$gui" = 1 ] && prefix="$prefix-gui"
export WINEPREFIX="$prefix"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The operators' machines run a Russian user locale (code page 1251); tests that
# need another locale set LC_ALL themselves.
export LC_ALL="${LC_ALL:-ru_RU.UTF-8}"

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Bounded: a service of the new prefix that never settles must not hang the tests.
    timeout 180 wineboot -i >/dev/null 2>&1 || true
    timeout 60 wineserver -w || wineserver -k 2>/dev/null || true
  fi
) 9>"$WINEPREFIX.lock"

if [ "$gui" = 1 ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
    'status=0; wine "$@" || status=$?; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; exit $status' \
    wine-gui "$@"
else
  exec wine "$@"
fi
