# Checks shared by the release tests: each failure is counted and reported, and
# `finish` ends the test with the count.
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
same() {  # same FILE EXPECTED WHAT: byte for byte
  cmp -s "$1" "$2" || fail "$3: $1 differs from $2"
}
present() {  # present FILE...
  local f
  for f in "$@"; do [ -e "$f" ] || fail "missing: $f"; done
}
has() {  # has FILE TEXT
  grep -qF -- "$2" "$1" || { fail "$1 lacks: $2"; sed 's/^/  | /' "$1" >&2; }
}
finish() {  # finish NAME
  if [ "$failures" -ne 0 ]; then
    echo "$1: $failures check(s) failed" >&2
    exit 1
  fi
  echo "$1: all checks passed"
}
