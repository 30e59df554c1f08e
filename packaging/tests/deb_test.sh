#!/usr/bin/env bash
# The Debian package: its control data and files (and lintian's verdict, where
# lintian is installed), `zelta demo` from the unpacked files, and, as root, an
# install and a removal with dpkg in a scratch root.
#   deb_test.sh SOURCE_DIR DIST WORK
set -uo pipefail
source_dir=$1
dist=$2
work=$3
source "$source_dir/tests/support/checks.sh"

deb=$(ls "$dist"/zelta_*_amd64.deb) || exit 1
version=${deb##*/zelta_} && version=${version%_amd64.deb}
rm -rf "$work" && mkdir -p "$work"

dpkg-deb --field "$deb" Package Version Architecture Depends >"$work/fields" || fail "dpkg-deb --field"
has "$work/fields" "Version: $version"
has "$work/fields" "libc6"
if command -v lintian >/dev/null; then
  lintian --allow-root --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
    { fail "lintian"; cat "$work/lintian" >&2; }
fi

# zelta in the unpacked tree finds the plug-in where the package puts it.
dpkg-deb -x "$deb" "$work/unpacked" || fail "dpkg-deb -x"
prefix=usr  # the package's installation prefix, under the unpacked files
present "$work/unpacked/$prefix/share/man/man1/zelta.1.gz" "$work/unpacked/$prefix/share/doc/zelta/guide.ru.txt"
"$work/unpacked/$prefix/bin/zelta" --version >"$work/version" || fail "zelta --version"
has "$work/version" "zelta $version"
(cd "$work" && "unpacked/$prefix/bin/zelta" demo >demo.out 2>demo.err) || fail "zelta demo"
same "$work/zelta-demo/Q1ABC.cbr" "$source_dir/cli/testdata/sample.cbr" "demo Cabrillo log"
same "$work/zelta-demo/Q1ABC-ubn.txt" "$source_dir/cli/testdata/sample-ubn.txt" "demo check file"

# The robot's service is there and not enabled; the robot from the package's files
# starts on a contest folder and stops cleanly on SIGTERM.
unit=$work/unpacked/lib/systemd/system/zelta-robot.service
present "$unit"
has "$unit" "DynamicUser=yes"
has "$unit" "StateDirectory=zelta-robot"
[ ! -e "$work/unpacked/etc/systemd" ] || fail "the package enables the robot's service"
# The daily backup: the robot's user and folder, the last seven copies kept.
backup=$work/unpacked/lib/systemd/system/zelta-robot-backup
present "$backup.service" "$backup.timer"
has "$backup.service" "User=zelta-robot"
has "$backup.service" "zelta backup /var/lib/zelta-robot "
has "$backup.service" "tail -n +8"
has "$backup.timer" "OnCalendar=daily"

# Confined: a system-call filter, other users and processes out of sight (exposure 2.0 at most).
has "$unit" "SystemCallFilter=@system-service"
if command -v systemd-analyze >/dev/null && systemd-analyze security --help 2>/dev/null | grep -q -- --offline; then
  systemd-analyze security --offline=yes --threshold=20 "$unit" >"$work/security.out" 2>&1 ||
    { fail "the robot's service is exposed above 2.0"; tail -3 "$work/security.out" >&2; }
fi
mkdir -p "$work/contest"
"$work/unpacked/$prefix/bin/zelta" robot "$work/contest" --listen 127.0.0.1:0 2>"$work/robot.err" &
robot=$!
for _ in $(seq 100); do grep -q "listening on" "$work/robot.err" && break; sleep 0.1; done
has "$work/robot.err" "listening on http://127.0.0.1:"
kill -TERM $robot
wait $robot || fail "the robot did not stop cleanly on SIGTERM"
present "$work/contest/robot/robot.sqlite3" "$work/contest/robot/organiser.token"

# A real install and removal, into a scratch root (the libraries zelta needs are
# the machine's, hence --force-depends).
if [ "$(id -u)" -eq 0 ]; then
  scratch=$work/scratch
  mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates"
  touch "$scratch/var/lib/dpkg/status"
  dpkg --root="$scratch" --force-depends -i "$deb" >"$work/dpkg.log" 2>&1 ||
    { fail "dpkg -i"; cat "$work/dpkg.log" >&2; }
  (cd "$work" && "scratch/$prefix/bin/zelta" exchange 017 >exchange.out 2>&1) || fail "installed zelta"
  has "$work/exchange.out" "acceptable exchange (1)"
  dpkg --root="$scratch" -r zelta >>"$work/dpkg.log" 2>&1 || { fail "dpkg -r"; cat "$work/dpkg.log" >&2; }
  left=$(find "$scratch/usr" -type f 2>/dev/null)
  [ -z "$left" ] || fail "left after dpkg -r: $left"
fi

finish "Debian package"
