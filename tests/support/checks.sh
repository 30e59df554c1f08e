# Checks shared by the end-to-end and release test scripts (sourced). Each check counts a failure
# and goes on, so that one run shows every difference; finish ends the script.
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# expect_exit STATUS NAME command...: runs the command, output in NAME.out and NAME.err.
expect_exit() {
  local want=$1 name=$2
  shift 2
  "$@" >"$name.out" 2>"$name.err"
  local got=$?
  [ "$got" = "$want" ] || { fail "$name: exit status $got, expected $want"; sed 's/^/  | /' "$name.err" >&2; }
}
same() {  # same ACTUAL GOLDEN WHAT
  cmp -s "$1" "$2" || { fail "$3 differs from $2"; diff <(od -c "$2") <(od -c "$1") | head -20 >&2; }
}
present() {  # present FILE...: each file exists
  local f
  for f in "$@"; do [ -e "$f" ] || fail "missing: $f"; done
}
has() {  # has FILE TEXT: the file holds the text
  grep -qF -- "$2" "$1" || { fail "$1 lacks: $2"; sed 's/^/  | /' "$1" >&2; }
}
finish() {  # finish WHAT
  [ "$failures" -eq 0 ] || { echo "$failures check(s) failed in $PWD" >&2; exit 1; }
  echo "$1: all checks passed"
  exit 0
}
