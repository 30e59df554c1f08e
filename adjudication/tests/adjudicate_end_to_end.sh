#!/usr/bin/env bash
# End to end: `zelta simulate` writes a small contest, `zelta adjudicate` checks it
# to the golden reports; the table and the JSON cover every log (the verdicts' agreement with the
# simulator's truth is adjudication_test's), errors name their file or line,
# and the demo's sample log is adjudicated on its own.
#   adjudicate_end_to_end.sh SOURCE_DIR WORK_DIR ZELTA [WINE_RUN WINE_PREFIX]
set -uo pipefail

source_dir=$1
work=$2
zelta=$3
if [ $# -ge 5 ]; then
  run=(bash "$4" --prefix "$5" "$zelta")
else
  run=("$zelta")
fi

source "$source_dir/tests/support/checks.sh"

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

# A small simulated contest pins the reports and the CSV byte for byte, on both builds
# (and so that one seed gives one contest); the table and the JSON cover every log.
# After a deliberate change: run these two commands and copy small/reports and
# small/results.csv over adjudication/testdata/simulated.
expect_exit 0 simulate "${run[@]}" simulate --stations 8 --qsos 25 --seed 12 --out small
expect_exit 0 adjudicate "${run[@]}" adjudicate small/logs --dir small --rules small/rules.ini \
  --json verdicts.json --out small
diff -r small/reports "$source_dir/adjudication/testdata/simulated/reports" >&2 ||
  fail "the reports of the small contest differ from adjudication/testdata/simulated"
cmp small/results.csv "$source_dir/adjudication/testdata/simulated/results.csv" >&2 ||
  fail "the results CSV of the small contest differs from adjudication/testdata/simulated"
logs=$(ls small/logs | wc -l)
has adjudicate.out "busted-exchange"
[ "$(($(sed "/^$/q" adjudicate.out | grep -c .) - 1))" = "$logs" ] || fail "the table does not list $logs logs"
cmp -s verdicts.json small/verdicts.json || fail "--out DIR/verdicts.json differs from --json"
[ -s small/index.html ] || fail "--out wrote no results page"
# One category however the headers spell it (Cabrillo 2.0's one line, letter case, blanks,
# MIXED, a field left out), a checklog (its QSOs confirm the others': every verdict stays),
# and a header that fits no category, named after the table.
cp -r small/logs spelled
set -- $(ls spelled)
sed -i -e '/^CATEGORY-/d' -e 's/^CALLSIGN:.*$/&\nCATEGORY: single-op ALL LOW MIXED\r/' "spelled/$1"
sed -i -e '/^CATEGORY-BAND/d' -e 's/^CATEGORY-MODE:.*$/category-mode:  mix \r/' \
  -e 's/^CATEGORY-POWER:.*$/CATEGORY-POWER: low\r/' "spelled/$2"
sed -i 's/^CATEGORY-OPERATOR:.*$/CATEGORY-OPERATOR: CHECKLOG\r/' "spelled/$3"
sed -i 's/^CATEGORY-MODE:.*$/CATEGORY-MODE: RTTY\r/' "spelled/$4"
expect_exit 0 spelled "${run[@]}" adjudicate spelled --dir small --rules small/rules.ini --out spelled-out
cmp -s <(grep -o '"verdict": "[a-z-]*"' spelled-out/verdicts.json) <(grep -o '"verdict": "[a-z-]*"' verdicts.json) ||
  fail "the headers changed a verdict"
for f in "$1" "$2"; do
  grep -q ",${f%.cbr},SINGLE-OP ALL MIX LOW," spelled-out/results.csv || fail "$f is not in SINGLE-OP ALL MIX LOW"
done
grep -q $'^,'"${3%.cbr}," spelled-out/results.csv || fail "the checklog has a place"
[ "$(tail -1 spelled-out/results.csv | cut -d, -f2)" = "${3%.cbr}" ] || fail "the checklog is not listed last"
has spelled.out "Checklogs (cross-checked, not ranked): ${3%.cbr}"
has spelled.out "${4%.cbr} ($4): CATEGORY-OPERATOR: SINGLE-OP; CATEGORY-BAND: ALL; CATEGORY-MODE: RTTY"
expect_exit 2 bad-lang "${run[@]}" adjudicate small/logs --out results --lang de
expect_exit 0 organiser-demo "${run[@]}" demo --organiser
has organiser-demo.out "zelta-contest/results/index.html"

# Errors: two logs of one call, a bad rules file, no log folder.
mkdir -p twice
cp small/logs/"$(ls small/logs | head -1)" twice/a.cbr
cp twice/a.cbr twice/b.cbr
expect_exit 1 twice "${run[@]}" adjudicate twice --dir small
has twice.err "a.cbr and"
has twice.err "b.cbr are both logs of"
printf '[Rules]\nToleranceMinutes=5\nTolerance=4\n' >bad.ini
expect_exit 1 bad-rules "${run[@]}" adjudicate small/logs --dir small --rules bad.ini
has bad-rules.err "bad.ini:3: unknown key 'Tolerance'"
expect_exit 2 no-logdir "${run[@]}" adjudicate
expect_exit 2 no-stations "${run[@]}" simulate --out x

# The demo's sample log alone: claimed as zelta score has it, no partner logs.
mkdir -p demo/logs demo/host/Plugins
cp "$source_dir/examples/sample.adi" demo/logs/
cp "$source_dir/examples/zelta.dom" demo/host/Plugins/
expect_exit 0 demo "${run[@]}" adjudicate demo/logs --dir demo/host
has demo.out "Q1ABC"
has demo.out " 1010 "

finish "adjudicate end to end"
