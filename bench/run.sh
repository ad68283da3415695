#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times vacantix-cli against find, bfs and fd on generated trees.
#
#   bench/run.sh [OUT]      trees and results go to OUT (default bench/out)
#
# Environment: VACANTIX_CLI (default build/vacantix-cli), RUNS (timed runs per
# command, default 5), SCALE (multiplies the tree sizes, default 1; use 0.1
# for a quick try). Trees are built once and kept; delete OUT to rebuild.
#
# Trees: t1 100,000 folders with 100,000 files; chain-1000, chain-2000 and
# chain-4000, chains of nested empty folders; leaves, 100,000 empty folders
# (100,000 results). Every command runs once to warm the cache, then RUNS times under
# hyperfine; the table shows the median, the ratio to find, and the peak RSS
# and output count of one further run.
#
# The chains use one-letter names, so their paths pass PATH_MAX (4096) at a
# depth of about 2,000 below OUT: chain-4000 holds folders that no program
# can reach by path. vacantix-cli never offers a folder whose tree it could
# not list, so it prints none of that chain; its time is the walk down to
# the limit.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "${1:-$here/out}" && cd "${1:-$here/out}" && pwd)
cli=${VACANTIX_CLI:-$here/../build/vacantix-cli}
runs=${RUNS:-5}
scale=${SCALE:-1}

for tool in hyperfine find bfs fdfind g++ python3; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 2; }
done

scaled() { python3 -c "print(max(1, round($1 * $scale)))"; }

# Builds a tree once; the stamp records how, so a changed recipe rebuilds it.
tree() {
  local name=$1; shift
  local recipe="$*"
  if [ -f "$out/$name.stamp" ] && [ "$(cat "$out/$name.stamp")" = "$recipe" ] && [ -d "$out/$name" ]; then
    return
  fi
  rm -rf "${out:?}/$name" "$out/$name.stamp"
  echo "building $name: $recipe" >&2
  python3 "$here/gen_tree.py" "$@" >&2
  echo "$recipe" >"$out/$name.stamp"
}

tree t1 random "$out/t1" --seed 1 --folders "$(scaled 100000)" --files "$(scaled 100000)"
tree chain-1000 chain "$out/chain-1000" --length "$(scaled 1000)"
tree chain-2000 chain "$out/chain-2000" --length "$(scaled 2000)"
tree chain-4000 chain "$out/chain-4000" --length "$(scaled 4000)"
tree leaves leaves "$out/leaves" --count "$(scaled 100000)"

g++ -O2 -o "$out/peak_rss" "$here/peak_rss.cpp"

have_cli=1
if [ ! -x "$cli" ]; then
  echo "run.sh: no vacantix-cli at $cli (set VACANTIX_CLI); timing the others only" >&2
  have_cli=0
fi

rows="$out/results.tsv"
: >"$rows"

# measure TREE NAME COMMAND...: one hyperfine series and one RSS run.
measure() {
  local tree=$1 name=$2; shift 2
  local json="$out/$tree.$name.json"
  hyperfine -N -i --style none --warmup 1 --runs "$runs" --export-json "$json" \
    --command-name "$name" "$(printf '%q ' "$@")" >/dev/null
  local median
  median=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["median"])' "$json")
  read -r rss records status < <("$out/peak_rss" "$@" 2>/dev/null)
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$tree" "$name" "$median" "$rss" "$records" "$status" >>"$rows"
}

for t in t1 chain-1000 chain-2000 chain-4000 leaves; do
  root="$out/$t"
  echo "timing $t" >&2
  if [ "$have_cli" = 1 ]; then
    # Options fixed so the user's settings cannot change what is measured:
    # files of 0 bytes count as content, like find's -empty; nothing ignored.
    measure "$t" vacantix-cli "$cli" --zero-byte-empty 0 --skip-system 1 --ignore-hidden 0 --ignore "" "$root"
  fi
  measure "$t" find find "$root" -type d -empty
  measure "$t" bfs bfs "$root" -type d -empty
  measure "$t" fd fdfind --type empty --type directory --hidden --no-ignore . "$root"
done

python3 - "$rows" "$out" <<'PY'
import os, sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1])]
find = {r[0]: float(r[2]) for r in rows if r[1] == "find"}
print("| tree | command | median s | vs find | peak RSS MiB | results | exit |")
print("| --- | --- | ---: | ---: | ---: | ---: | ---: |")
for tree, name, median, rss, records, status in rows:
    m = float(median)
    print("| %s | %s | %.3f | %.2fx | %.1f | %s | %s |" % (tree, name, m, m / find[tree], int(rss) / 1024, records, status))
cli = {r[0]: float(r[2]) for r in rows if r[1] == "vacantix-cli"}
if "chain-2000" in cli and "chain-4000" in cli:
    print("\nvacantix-cli chain-4000 / chain-2000: %.2f" % (cli["chain-4000"] / cli["chain-2000"]))
    print("vacantix-cli chain-2000 / chain-1000: %.2f" % (cli["chain-2000"] / cli["chain-1000"]))
    limit = (os.pathconf("/", "PC_PATH_MAX") - len(os.path.join(sys.argv[2], "chain-4000")) - 1) // 2
    print("(chain folders deeper than about %d levels lie beyond PATH_MAX)" % limit)
PY
