#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Counts the system calls per folder of vacantix-cli and of the walker (one
# read of each folder, bench/walker.cpp) on one tree, call by call.
#
#   bench/syscalls.sh [OUT]   the tree is OUT/t1 (default bench/out/t1)
#
# Environment: VACANTIX_CLI (default build/vacantix-cli), TREE (a folder to
# count on instead of OUT/t1; bench/run.sh builds OUT/t1). Needs strace
# (Debian package strace); adds `perf stat` counts per folder when perf is
# there, instructions only where the machine gives hardware counters.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "${1:-$here/out}" && cd "${1:-$here/out}" && pwd)
cli=${VACANTIX_CLI:-$here/../build/vacantix-cli}
tree=${TREE:-$out/t1}

for tool in strace g++ python3; do
  command -v "$tool" >/dev/null || { echo "syscalls.sh: $tool is missing" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "syscalls.sh: no vacantix-cli at $cli (set VACANTIX_CLI)" >&2; exit 2; }
[ -d "$tree" ] || { echo "syscalls.sh: no tree at $tree (bench/run.sh builds it)" >&2; exit 2; }

g++ -O2 -pthread -o "$out/walker" "$here/walker.cpp"

# The options run.sh times with; a private home, so no stored setting is read.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
cli_run=("$cli" --zero-byte-empty 0 --skip-system 1 --ignore-hidden 0 --ignore "" "$tree")

# Folders read: those below the tree and the tree itself.
folders=$(( $("$out/walker" "$tree") + 1 ))
echo "$tree: $folders folders"

strace -c -f -o "$out/strace.cli" "${cli_run[@]}" >/dev/null
strace -c -f -o "$out/strace.walker" "$out/walker" -t 2 "$tree" >/dev/null

python3 - "$folders" "$out/strace.cli" "$out/strace.walker" <<'PY'
import sys
folders = int(sys.argv[1])
def calls(path):
    counts = {}
    for line in open(path):
        parts = line.split()
        if len(parts) >= 5 and parts[0][0].isdigit() and parts[-1] != "total":
            counts[parts[-1]] = int(parts[3])
    return counts
cli, walker = calls(sys.argv[2]), calls(sys.argv[3])
names = sorted(set(cli) | set(walker), key=lambda n: -max(cli.get(n, 0), walker.get(n, 0)))
print("| system call | vacantix-cli per folder | walker x2 per folder |")
print("| --- | ---: | ---: |")
for name in names:
    c, w = cli.get(name, 0), walker.get(name, 0)
    if max(c, w) >= folders / 1000:
        print("| %s | %.3f | %.3f |" % (name, c / folders, w / folders))
print("| all | %.3f | %.3f |" % (sum(cli.values()) / folders, sum(walker.values()) / folders))
PY

if command -v perf >/dev/null && perf stat -e task-clock true >/dev/null 2>&1; then
  events=task-clock,context-switches,cpu-migrations,page-faults
  if perf stat -x, -e instructions true 2>&1 | grep -q '^[0-9]'; then
    events=$events,instructions,cycles
  fi
  echo
  for who in cli walker; do
    if [ "$who" = cli ]; then run=("${cli_run[@]}"); else run=("$out/walker" -t 2 "$tree"); fi
    perf stat -x, -e "$events" -o "$out/perf.$who" "${run[@]}" >/dev/null
  done
  python3 - "$folders" "$out/perf.cli" "$out/perf.walker" <<'PY'
import sys
folders = int(sys.argv[1])
def counts(path):
    found = {}
    for line in open(path):
        parts = line.strip().split(",")
        if len(parts) > 2 and parts[0] and parts[0][0].isdigit():
            found[parts[2]] = float(parts[0])
    return found
cli, walker = counts(sys.argv[2]), counts(sys.argv[3])
print("| perf stat | vacantix-cli per folder | walker x2 per folder |")
print("| --- | ---: | ---: |")
for name in cli:
    unit = " (us)" if name == "task-clock" else ""
    scale = 1000.0 if name == "task-clock" else 1.0
    print("| %s%s | %.3f | %.3f |" % (name, unit, cli[name] * scale / folders, walker.get(name, 0) * scale / folders))
PY
fi
