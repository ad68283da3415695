#!/usr/bin/env bash
# Checks the manual pages (no formatter warnings, with every kind of warning
# on: -ww, as -wall leaves out undefined macros; every option that
# `vacantix-cli --help` lists has its entry, and no entry names an option the
# program lacks).
# Usage: doc_check.sh VACANTIX_CLI DOC_DIR. Exits 77 when groff is missing.
set -uo pipefail
cli=$1 doc=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

command -v groff >/dev/null || { echo "SKIP: groff is not installed"; exit 77; }
export LC_ALL=C.UTF-8 MANWIDTH=80

for page in "$doc"/vacantix.1 "$doc"/vacantix-cli.1; do
  warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
  if command -v man >/dev/null; then
    warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page: $warnings"
  fi
done

# The long options of the help's option lines, as "--name".
mapfile -t options < <("$cli" --help | sed -nE 's/^ +(-[^ ], )?(--[a-z0-9-]+).*/\2/p' | sort -u)
[ "${#options[@]}" -ge 10 ] || fail "found only ${#options[@]} options in --help: ${options[*]}"

# The options that have an entry (a .TP tag) in the page, as "--name".
mapfile -t entries < <(awk 'tag { print } { tag = ($0 == ".TP") }' "$doc/vacantix-cli.1" |
  sed 's/\\-/-/g' | grep -oE -- '--[a-z0-9-]+' | sort -u)
missing=$(comm -23 <(printf '%s\n' "${options[@]}") <(printf '%s\n' "${entries[@]}"))
[ -z "$missing" ] || fail "vacantix-cli.1 has no entry for: $missing"
extra=$(comm -13 <(printf '%s\n' "${options[@]}") <(printf '%s\n' "${entries[@]}"))
[ -z "$extra" ] || fail "vacantix-cli.1 describes options --help does not list: $extra"

[ "$failures" -eq 0 ] && echo "all documentation checks passed"
exit $((failures > 0))
