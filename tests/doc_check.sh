#!/usr/bin/env bash
# Checks the manual pages and the shell completions of vacantix-cli:
# - no formatter warnings, with every kind of warning on (-ww, as -wall leaves
#   out undefined macros);
# - every option that `vacantix-cli --help` lists has its entry in the manual
#   page and in each completion, and the page describes no other option;
# - the bash completion (and the fish one, where fish is installed) completes
#   options, 0|1 after the switches, folders, and files after -f/--from; the
#   zsh one parses, where zsh is installed.
# Usage: doc_check.sh VACANTIX_CLI DOC_DIR
set -uo pipefail
cli=$(realpath "$1") doc=$(realpath "$2")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export LC_ALL=C.UTF-8 MANWIDTH=80

for page in "$doc"/vacantix.1 "$doc"/vacantix-cli.1; do
  if command -v groff >/dev/null; then
    warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1)
    [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
  else
    echo "SKIP: groff is not installed; $page is not checked for warnings"
  fi
  if command -v man >/dev/null; then
    warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page: $warnings"
  fi
done

# The JSON examples keep their quotes once formatted (groff takes a quote in
# a macro's arguments for its own).
rendered=$(groff -man -Tutf8 -rHY=0 -rLL=200n "$doc/vacantix-cli.1" 2>/dev/null | col -bx)
for key in path depth outcome reason summary duration_seconds path_b64; do
  grep -qF "\"$key\"" <<<"$rendered" || fail "vacantix-cli.1 shows the JSON key $key without its quotes"
done

# The options of the help's option lines, as "--name" and "-c".
help=$("$cli" --help)
mapfile -t options < <(sed -nE 's/^ +(-[^ ], )?(--[a-z0-9-]+).*/\2/p' <<<"$help" | sort -u)
mapfile -t shorts < <(sed -nE 's/^ +(-[^ -]), --.*/\1/p' <<<"$help")
[ "${#options[@]}" -ge 10 ] && [ "${#shorts[@]}" -ge 4 ] ||
  fail "found only ${options[*]} ${shorts[*]} in --help"

# The options that have an entry (a .TP tag) in the page.
mapfile -t entries < <(awk 'tag { print } { tag = ($0 == ".TP") }' "$doc/vacantix-cli.1" |
  sed 's/\\-/-/g' | grep -oE -- '--[a-z0-9-]+' | sort -u)
missing=$(comm -23 <(printf '%s\n' "${options[@]}") <(printf '%s\n' "${entries[@]}"))
[ -z "$missing" ] || fail "vacantix-cli.1 has no entry for: $missing"
extra=$(comm -13 <(printf '%s\n' "${options[@]}") <(printf '%s\n' "${entries[@]}"))
[ -z "$extra" ] || fail "vacantix-cli.1 describes options --help does not list: $extra"

comp=$doc/completion
for option in "${options[@]}" "${shorts[@]}"; do
  name=${option#-}
  name=${name#-}
  grep -qE -- "(^|[ '])$option( |'|\$)" "$comp/vacantix-cli.bash" || fail "the bash completion lacks $option"
  grep -qE -- "[{'(,)*]$option[]=+,}[]" "$comp/_vacantix-cli" || fail "the zsh completion lacks $option"
  [[ $option == --* ]] && flag="-l $name" || flag="-s $name"
  grep -qE -- "^complete -c vacantix-cli .*$flag( |\$)" "$comp/vacantix-cli.fish" ||
    fail "the fish completion lacks $option"
done

# Completion in a scratch tree: two folders and a file starting with "a".
scratch=$(mktemp -d) && trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/a b" "$scratch/alpha" "$scratch/beta" && touch "$scratch/alist.txt"
cd "$scratch" || exit 1

# bash_offers EXPECTED WORD...: completing the last WORD offers EXPECTED
# (the offers one per line).
bash_offers() {
  local expected=$1 got
  shift
  got=$(bash --norc -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    _vacantix_cli; printf "%s\n" "${COMPREPLY[@]}" | sort' _ "$comp/vacantix-cli.bash" vacantix-cli "$@")
  [ "$got" = "$expected" ] || fail "bash completes '$*' to [${got//$'\n'/|}], not [${expected//$'\n'/|}]"
}
bash_offers "$(printf '%s\n' "${options[@]}" "${shorts[@]}" | sort)" -
bash_offers --zero-byte-empty --ze
for switch in --zero-byte-empty --skip-system --ignore-hidden; do
  bash_offers $'0\n1' "$switch" ""
  bash_offers 1 "$switch" = 1
  bash_offers $'a b\nalpha' "$switch" 0 a
done
bash_offers $'a b\nalpha' a
bash_offers beta --ignore b
bash_offers $'a b\nalist.txt\nalpha' -f a
bash_offers $'alist.txt\nalpha' --from al
bash_offers $'a b\nalpha' -- -f a

if command -v fish >/dev/null; then
  fish_offers() {
    local got
    got=$(fish --no-config -c "source '$comp/vacantix-cli.fish'; complete -C '$2'" | cut -f1 | sort)
    [ "$got" = "$1" ] || fail "fish completes '$2' to [${got//$'\n'/|}], not [${1//$'\n'/|}]"
  }
  fish_offers $'0\n1' 'vacantix-cli --skip-system '
  fish_offers $'a b/\nalpha/' 'vacantix-cli a'
  fish_offers $'alist.txt\nalpha/' 'vacantix-cli -f al'
else
  echo "SKIP: fish is not installed"
fi
if command -v zsh >/dev/null; then
  zsh -n "$comp/_vacantix-cli" || fail "the zsh completion does not parse"
else
  echo "SKIP: zsh is not installed"
fi

[ "$failures" -eq 0 ] && echo "all documentation checks passed"
exit $((failures > 0))
