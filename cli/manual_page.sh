#!/usr/bin/env bash
# Writes zelta's manual page from its own help texts: `zelta --help` gives the
# description, each `zelta COMMAND --help` a section of its own.
#   manual_page.sh ZELTA OUTPUT
# The date and version stand as @DATE@ and @VERSION@ for the packaging to fill in.
set -euo pipefail
zelta=$1 out=$2

# Help text as roff: backslashes escaped, lines that would read as requests guarded,
# kept as they are laid out.
roff() { sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/" -e 's/-/\\-/g'; }

commands=$("$zelta" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
{
  echo '.TH ZELTA 1 "@DATE@" "zelta @VERSION@" "ZELTA TROPHY"'
  echo '.SH NAME'
  echo 'zelta \- score a ZELTA TROPHY contest log through the scoring plug-in, check a contest'
  echo '.SH SYNOPSIS'
  for c in $commands; do
    "$zelta" "$c" --help | sed -n 's/^Usage: //p' | roff
    echo '.br'
  done
  echo '.B zelta \-\-version'
  echo '.SH DESCRIPTION'
  echo '.nf'
  "$zelta" --help | roff
  echo '.fi'
  for c in $commands; do
    echo ".SH \"zelta $c\""
    echo '.nf'
    "$zelta" "$c" --help | roff
    echo '.fi'
  done
} >"$out.tmp"
mv "$out.tmp" "$out"
