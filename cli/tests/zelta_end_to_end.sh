#!/usr/bin/env bash
# End to end through the plug-in, and the one owner of the golden bytes of a scoring
# run (cli/testdata); also the other commands, the error exits and the demo.
#   zelta_end_to_end.sh SOURCE_DIR WORK_DIR ZELTA [WINE_RUN WINE_PREFIX]
# With WINE_RUN, ZELTA is zelta.exe, run under Wine in the Russian user locale.
set -uo pipefail

source_dir=$1 work=$2 zelta=$3
golden="$source_dir/cli/testdata"
run=("$zelta") run_gui=("$zelta")
if [ $# -ge 5 ]; then  # message boxes and dialogs need a display under Wine
  export LC_ALL=ru_RU.UTF-8
  run=(bash "$4" --prefix "$5" "$zelta") run_gui=(bash "$4" --prefix "$5" --gui "$zelta")
fi

source "$source_dir/tests/support/checks.sh"

rm -rf "$work"
mkdir -p "$work/host/Plugins"
cp "$source_dir/examples/zelta.dom" "$source_dir/examples/QOLEB.ini" "$work/host/Plugins/"
# The extra header lines without their last line end: the log must still get it.
head -c -2 "$source_dir/examples/cabrillo.ini" >"$work/host/cabrillo.ini"
cp "$source_dir/examples/sample.adi" "$work/"
cd "$work" || exit 1

# The sample log scored with the report flag, as the host's report run does.
expect_exit 0 score "${run_gui[@]}" score sample.adi --report --batch --dir host
same score.out "$golden/sample-summary.txt" "summary"
same host/Q1ABC-ubn.txt "$golden/sample-ubn.txt" "check file"
same host/Q1ABC.cbr "$golden/sample.cbr" "Cabrillo log"
has score.err "Output: File produced: Q1ABC.cbr"
has score.err "58 QSOs handed to the plug-in, 52 counted, 6 refused (see Q1ABC-ubn.txt)"
# Only the claimed score is added to the shared settings file (blank lines aside:
# Wine's profile functions drop them).
grep -v -e '^Claimed=' -e $'^\r$' host/Plugins/QOLEB.ini >settings.rest
grep -v $'^\r$' "$source_dir/examples/QOLEB.ini" >settings.before
same settings.rest settings.before "settings file without Claimed"
has host/Plugins/QOLEB.ini "Claimed=1010"

# --raw prints the plug-in's Windows-1251 bytes.
expect_exit 0 raw "${run[@]}" score sample.adi --raw --batch --dir host
iconv -f CP1251 -t UTF-8 raw.out >raw.utf8 && same raw.utf8 "$golden/sample-summary.txt" "raw summary"

# The Cabrillo log read back, in an e-mail and newest first, scores the same.
cbr=host/Q1ABC.cbr
{ printf 'Subject: my log\r\n\r\n'; grep -v '^QSO:' $cbr | head -n -1; grep '^QSO:' $cbr | tac;
  echo 'END-OF-LOG:'; } >mail.txt
expect_exit 0 mail "${run[@]}" score mail.txt --batch --dir host
same mail.out "$golden/sample-summary.txt" "summary of the Cabrillo log in an e-mail"
has mail.err "mail.txt:1: 1 line before START-OF-LOG: (from line 1) is not part of the log and ignored"
has mail.err "its QSOs are handed over in time order"

# Call check (after the sample's QSOs) and exchange rule.
expect_exit 0 check_dupe "${run[@]}" check Q3ZD --band 20 --mode CW sample.adi --dir host
has check_dupe.out "Q3ZD on 20 in CW: duplicate (0)"
expect_exit 0 check_mult "${run[@]}" check Q3ZP --band 15m --mode usb sample.adi --dir host
has check_mult.out "Q3ZP on 15 in SSB: new multiplier (2): Новый мульт ! Член конференции !"
expect_exit 0 exchange_ok "${run[@]}" exchange 017
has exchange_ok.out '"017": acceptable exchange (1)'

# The README shows the help as zelta prints it.
expect_exit 0 help "${run[@]}" score --help
sed -n '/^  Usage: zelta score/,/^  ```/p' "$source_dir/README.md" | sed -e '$d' -e 's/^  //' >readme-help.txt
[ "$(wc -l <readme-help.txt)" -gt 5 ] || fail "the README shows no help of zelta score"
while IFS= read -r line; do has help.out "$line"; done <readme-help.txt
expect_exit 0 commands "${run[@]}" --help
has commands.out "$(grep -m1 '^    adjudicate ' "$source_dir/README.md" | sed 's/^  //')"

# Usage errors exit 2.
expect_exit 2 bad_option "${run[@]}" score sample.adi --bogus
has bad_option.err "unknown option '--bogus'"
expect_exit 2 no_log "${run[@]}" score
printf '<CALL:4>Q3ZZ<QSO_DATE:8>20261206<TIME_ON:4>0910<BAND:3>20m<MODE:2>CW<EOR>\r\n' >nocall.adi
expect_exit 2 no_own_call "${run[@]}" score nocall.adi --dir host
has no_own_call.err "nocall.adi names no own call sign"

# What is no log exits 1 and says what it is; a damaged place names its line and byte.
expect_exit 1 missing "${run[@]}" score missing.adi --dir host
has missing.err "cannot read the log missing.adi: No such file or directory"
expect_exit 1 folder "${run[@]}" score host --dir host
has folder.err "host is a folder, not a log file"
: >empty.adi
expect_exit 1 empty "${run[@]}" score empty.adi --dir host
has empty.err "empty.adi is empty, not a log"
if [ $# -lt 5 ]; then
  expect_exit 1 device "${run[@]}" score /dev/null --dir host
  has device.err "/dev/null is a device, not a log file"
else  # the log robot is Linux's: zelta.exe says it has none
  expect_exit 1 robot "${run[@]}" robot contest --listen 127.0.0.1:8080
  has robot.err "this zelta has no robot command: the log robot and its client are in the Linux build"
fi
printf '<CALL:4>Q3ZZ<QSO_DATE:8>20261206\r\n<TIME_ON:x>0910<EOR>\r\n' >broken.adi
expect_exit 1 broken "${run[@]}" score broken.adi --call Q1ABC --dir host
has broken.err "broken.adi:2 (byte 34): damaged: field TIME_ON: the length 'x' is not a number; 1 record lost"
has broken.err "broken.adi: no QSO of the log can be read"
expect_exit 1 no_dir "${run[@]}" score sample.adi --dir no-such-folder
has no_dir.err "host folder no-such-folder does not exist"
# Counts reconcile: an exact repeat, a refused QSO, a record cut off at the end,
# and the file's control bytes escaped.
q='<CALL:4>Q3ZZ<QSO_DATE:8>20261206<TIME_ON:4>0911<BAND:3>20m<MODE:2>CW<STX:1>1<SRX:2>17<EOR>'
printf '%s\n%s\n%s\n<CALL:5>Q\033[2J<QSO_DATE:8>20261206<TIME_ON:4>0913<MODE:2>CW<EOR>\n<CALL:4>Q5' \
  "$q" "${q/CW/FM}" "$q" >counts.adi
expect_exit 0 counts "${run[@]}" score counts.adi --call Q1ABC --dir host
has counts.err "3 QSOs handed to the plug-in, 1 counted, 1 exact repeat of a QSO ignored (the first on line 3, as on line 1), 1 refused (see Q1ABC-ubn.txt); 2 records of the log skipped"
has counts.err "record 4 (Q\\x1B[2J) skipped: neither FREQ nor BAND"

# The demo in a fresh folder.
mkdir fresh && cd fresh || exit 1
expect_exit 0 demo "${run_gui[@]}" demo
same zelta-demo/Q1ABC.cbr "$golden/sample.cbr" "demo Cabrillo log"
same zelta-demo/Q1ABC-ubn.txt "$golden/sample-ubn.txt" "demo check file"
has demo.out "Cabrillo log:              zelta-demo/Q1ABC.cbr"
head -c "$(stat -c %s "$golden/sample-summary.txt")" demo.out >demo-summary.txt
same demo-summary.txt "$golden/sample-summary.txt" "demo summary"

finish "zelta end to end"
