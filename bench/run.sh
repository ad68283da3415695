#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times vacantix-cli and the window against find, bfs, fd and a walker that
# only reads each folder once, on generated trees, on a warm disk, through
# FUSE and from a cold cache; then counts user instructions (callgrind) and
# system calls (strace) per folder, which a loaded machine does not disturb.
#
#   bench/run.sh [OUT]      trees and results go to OUT (default bench/out;
#                           OUT=... in the environment works too)
#
# Environment: VACANTIX_CLI (default build/vacantix-cli), VACANTIX_WINDOW
# (default build/vacantix; its row is left out when it is missing or with
# WINDOW=0), BASELINE_CLI (a vacantix-cli of an earlier commit to time beside
# it, named BASELINE_NAME, default "baseline"; for example fc49003 built in a
# worktree of its own: git worktree add ../fc49003 fc49003, then cmake and
# cmake --build --target vacantix-cli there), RUNS (timed runs per command,
# default 5), RUNS_T2 (the same on t2, default 3), RUNS_SLOW (on
# t1-bindfs and t2-cold, default 1), SCALE (multiplies the tree sizes,
# default 1; use 0.1 for a quick try), TREES (the trees to time, default all:
# t1 t2 t1-bindfs t2-cold chain-1000 chain-2000 chain-4000 leaves),
# COUNTS=0 (no instruction and system-call counts).
# Trees are built once and kept, and reused while their recipe (the stamp
# beside each) is the same; delete OUT to rebuild.
#
# Trees: t1 100,000 folders with 100,000 files (46,404 folders with no file
# below); t2 1,000,000 folders with 300,000 files (588,804 folders with no
# file below); chain-1000, chain-2000 and chain-4000, chains of nested empty
# folders; leaves, 100,000 empty folders (100,000 results). t1-bindfs is t1
# seen through bindfs (FUSE: every call waits for a process; needs bindfs
# and /dev/fuse), t2-cold is t2 with the page cache dropped before each run
# (needs root). On the warm trees every command runs once to warm the cache,
# then RUNS times under hyperfine; the table shows the median, the ratio to
# find, the mean CPU time (user + system), and the peak RSS and output count
# of one further run.
#
# Rows: vacantix-cli as it starts by default (helpers reading ahead only
# once the disk makes it wait), with VACANTIX_READERS=0 (every folder read
# on the searching thread alone: the single-thread figure), and the
# baseline; find -type d -empty; bfs; fd (through FUSE with -j 1 to 16, to
# find its best); the walker (bench/walker.cpp) on one and on two threads
# (eight through FUSE and from a cold cache), a lower bound for any search,
# whose count is the folders it read; and on t1 and t2 the window, whose
# time is its own measure of the scan up to "Done." (the median of RUNS
# runs, after one to warm up) and whose longest wait between two turns of
# its event loop is printed below the table.
#
# The chains use one-letter names, so their paths pass PATH_MAX (4096) at a
# depth of about 2,000 below OUT: chain-4000 holds folders that no program
# can reach by path. vacantix-cli never offers a folder whose tree it could
# not list, so it prints none of that chain; its time is the walk down to
# the limit. The walker opens each folder relative to its parent and reads
# all of them.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
dest=${1:-${OUT:-$here/out}}
out=$(mkdir -p "$dest" && cd "$dest" && pwd)
cli=${VACANTIX_CLI:-$here/../build/vacantix-cli}
window=${VACANTIX_WINDOW:-$here/../build/vacantix}
runs=${RUNS:-5}
runs_t2=${RUNS_T2:-3}
runs_slow=${RUNS_SLOW:-1}
scale=${SCALE:-1}
trees=${TREES:-t1 t2 t1-bindfs t2-cold chain-1000 chain-2000 chain-4000 leaves}
baseline=${BASELINE_CLI:-}
baseline_name=${BASELINE_NAME:-baseline}

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

# t2's share of empty subtrees is chosen so that about 589,000 of its
# million folders hold no file anywhere below them.
for t in $trees; do
  case $t in
    t1 | t1-bindfs) tree t1 random "$out/t1" --seed 1 --folders "$(scaled 100000)" --files "$(scaled 100000)" ;;
    t2 | t2-cold) tree t2 random "$out/t2" --seed 2 --folders "$(scaled 1000000)" --files "$(scaled 300000)" --empty-share 0.021 ;;
    chain-*) tree "$t" chain "$out/$t" --length "$(scaled "${t#chain-}")" ;;
    leaves) tree leaves leaves "$out/leaves" --count "$(scaled 100000)" ;;
    *) echo "run.sh: no tree named $t" >&2; exit 2 ;;
  esac
done

g++ -O2 -o "$out/peak_rss" "$here/peak_rss.cpp"
g++ -O2 -pthread -o "$out/walker" "$here/walker.cpp"

have_cli=1
if [ ! -x "$cli" ]; then
  echo "run.sh: no vacantix-cli at $cli (set VACANTIX_CLI); timing the others only" >&2
  have_cli=0
fi
if [ -n "$baseline" ] && [ ! -x "$baseline" ]; then
  echo "run.sh: no baseline vacantix-cli at $baseline; no baseline row" >&2
  baseline=
fi
have_window=1
if [ "${WINDOW:-1}" = 0 ] || [ ! -x "$window" ]; then
  [ "${WINDOW:-1}" = 0 ] || echo "run.sh: no window program at $window (set VACANTIX_WINDOW); no window row" >&2
  have_window=0
fi

# A private home: no stored option of the user is read or changed. The
# window reads its options from there; they match the command line's below.
home=$(mktemp -d)
bindfs_mount=$out/t1-bindfs
finish() {
  if mountpoint -q "$bindfs_mount" 2>/dev/null; then fusermount -u "$bindfs_mount" 2>/dev/null || umount "$bindfs_mount"; fi
  rm -rf "$home"
}
trap finish EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Quillmark" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[Vacantix]\nCheck1=0\nCheck2=1\nCheck3=0\nText1=\n' >"$XDG_CONFIG_HOME/Quillmark/Vacantix.conf"

rows="$out/results.tsv"
gaps="$out/window-gaps.txt"
: >"$rows"
: >"$gaps"
load_before=$(uptime)

# The hyperfine options of a tree's series: how many runs, and for the cold
# tree the cache dropped before each instead of a run to warm it.
series() {
  case $1 in
    t2) echo --warmup 1 --runs "$runs_t2" ;;
    t1-bindfs) echo --warmup 1 --runs "$runs_slow" ;;
    t2-cold) echo --runs "$runs_slow" ;;
    *) echo --warmup 1 --runs "$runs" ;;
  esac
}

# measure TREE NAME COMMAND...: one hyperfine series and one RSS run. The
# walker prints how many folders it read; that is its count.
measure() {
  local tree=$1 name=$2; shift 2
  local json="$out/$tree.$name.json" prepare=()
  [ "$tree" != t2-cold ] || prepare=(--prepare "sh -c 'sync; echo 3 > /proc/sys/vm/drop_caches'")
  # shellcheck disable=SC2046
  hyperfine -N -i --style none $(series "$tree") "${prepare[@]}" --export-json "$json" \
    --command-name "$name" "$(printf '%q ' "$@")" >/dev/null
  local median cpu
  read -r median cpu < <(python3 -c 'import json,sys; r = json.load(open(sys.argv[1]))["results"][0]
print(r["median"], r["user"] + r["system"])' "$json")
  read -r rss records status < <("$out/peak_rss" -o "$out/$tree.$name.out" "$@" 2>/dev/null)
  case $name in walker*) records=$(head -n1 "$out/$tree.$name.out") ;; esac
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$tree" "$name" "$median" "$rss" "$records" "$status" "$cpu" >>"$rows"
}

# measure_window TREE: the window scans TREE on the offscreen platform and
# reports its time up to "Done." and its longest event-loop gap itself.
measure_window() {
  local tree=$1 n=$runs i
  [ "$tree" != t2 ] || n=$runs_t2
  local report="$out/$tree.window.out" all="$out/$tree.window.runs"
  : >"$all"
  local run=(env QT_QPA_PLATFORM=offscreen VACANTIX_AUTOSCAN="$out/$tree" "$window")
  for ((i = 0; i <= n; i++)); do
    read -r rss records status < <("$out/peak_rss" -o "$report" "${run[@]}" 2>/dev/null)
    # The first run warms the cache and is not counted.
    [ "$i" = 0 ] || { printf '%s %s ' "$rss" "$status"; grep -m1 '^window scan' "$report" || echo; } >>"$all"
  done
  python3 - "$tree" "$all" "$rows" "$gaps" <<'PY'
import re, statistics, sys
tree, runs, rows, gaps = sys.argv[1:]
seconds, rss, found, gap, yields, status = [], [], "?", [], [], "0"
for line in open(runs):
    parts = line.split(None, 2)
    if parts[1] != "0":
        status = parts[1]
    m = re.match(r"window scan: (\d+) results in ([\d.]+) s; longest gap between event-loop turns "
                 r"([\d.]+) ms \(between yields ([\d.]+) ms\)", parts[2] if len(parts) > 2 else "")
    if m:
        rss.append(int(parts[0])); found = m[1]; seconds.append(float(m[2]))
        gap.append(float(m[3])); yields.append(float(m[4]))
if seconds:
    open(rows, "a").write("%s\twindow\t%s\t%d\t%s\t%s\t-\n" % (tree, statistics.median(seconds), max(rss), found, status))
    open(gaps, "a").write("window on %s: longest gap between event-loop turns %.1f ms (median of runs %.1f ms; "
                          "between yields %.1f ms)\n" % (tree, max(gap), statistics.median(gap), max(yields)))
else:
    open(gaps, "a").write("window on %s: no measure printed (exit %s)\n" % (tree, status))
PY
}

# The folder a tree is timed at, or nothing (with the reason on stderr)
# where the machine cannot give it.
root_of() {
  case $1 in
    t1-bindfs)
      if ! command -v bindfs >/dev/null || [ ! -e /dev/fuse ]; then
        echo "run.sh: no bindfs or no /dev/fuse; t1-bindfs is left out" >&2
        return
      fi
      # A run killed earlier can leave its FUSE mount behind with nobody
      # serving it, which neither mkdir nor mountpoint can look at.
      stat "$bindfs_mount" >/dev/null 2>&1 || umount -l "$bindfs_mount" 2>/dev/null || true
      mkdir -p "$bindfs_mount"
      mountpoint -q "$bindfs_mount" || bindfs "$out/t1" "$bindfs_mount" || return
      echo "$bindfs_mount" ;;
    t2-cold)
      if [ ! -w /proc/sys/vm/drop_caches ]; then
        echo "run.sh: the page cache cannot be dropped here (root only); t2-cold is left out" >&2
        return
      fi
      echo "$out/t2" ;;
    *) echo "$out/$1" ;;
  esac
}

for t in $trees; do
  root=$(root_of "$t")
  [ -n "$root" ] || continue
  echo "timing $t" >&2
  slow=0
  case $t in t1-bindfs | t2-cold) slow=1 ;; esac
  # Options fixed so the user's settings cannot change what is measured:
  # files of 0 bytes count as content, like find's -empty; nothing ignored.
  opts=(--zero-byte-empty 0 --skip-system 1 --ignore-hidden 0 --ignore "" "$root")
  if [ "$have_cli" = 1 ]; then
    measure "$t" vacantix-cli "$cli" "${opts[@]}"
    measure "$t" "vacantix-cli 1 thread" env VACANTIX_READERS=0 "$cli" "${opts[@]}"
  fi
  [ -z "$baseline" ] || measure "$t" "vacantix-cli $baseline_name" "$baseline" "${opts[@]}"
  measure "$t" find find "$root" -type d -empty
  measure "$t" bfs bfs "$root" -type d -empty
  if [ "$t" = t1-bindfs ]; then
    for j in 1 2 4 8 16; do
      measure "$t" "fd -j$j" fdfind -j"$j" --type empty --type directory --hidden --no-ignore . "$root"
    done
  else
    measure "$t" fd fdfind --type empty --type directory --hidden --no-ignore . "$root"
  fi
  measure "$t" "walker x1" "$out/walker" -t 1 "$root"
  if [ "$slow" = 1 ]; then
    measure "$t" "walker x8" "$out/walker" -t 8 "$root"
  else
    measure "$t" "walker x2" "$out/walker" -t 2 "$root"
  fi
  case $t in t1|t2) [ "$have_window" = 0 ] || measure_window "$t" ;; esac
done

load_after=$(uptime)

# counts: user instructions (callgrind: all threads, whatever else the
# machine runs) and system calls (strace -f; futex apart, since how often a
# thread waits for another follows the clock) per folder read, on t1.
counts="$out/counts.tsv"
: >"$counts"
if [ "${COUNTS:-1}" = 1 ] && [ "$have_cli" = 1 ] && [ -d "$out/t1" ]; then
  folders=$(($("$out/walker" "$out/t1") + 1))
  opts=(--zero-byte-empty 0 --skip-system 1 --ignore-hidden 0 --ignore "" "$out/t1")
  count() {
    local name=$1; shift
    local instructions=- calls=- futex=-
    if command -v valgrind >/dev/null; then
      instructions=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
    fi
    if command -v strace >/dev/null; then
      strace -f -c -o "$out/strace.txt" "$@" >/dev/null
      read -r calls futex < <(python3 -c 'import sys
calls = futex = 0
for line in open(sys.argv[1]):
    f = line.split()
    if len(f) >= 5 and f[0][0].isdigit() and f[-1] != "total":
        calls += int(f[3]); futex += int(f[3]) if f[-1] == "futex" else 0
print(calls - futex, futex)' "$out/strace.txt")
    fi
    printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$folders" "$instructions" "$calls" "$futex" >>"$counts"
  }
  echo "counting on t1" >&2
  # valgrind runs a program itself; VACANTIX_READERS goes through the environment.
  count vacantix-cli "$cli" "${opts[@]}"
  VACANTIX_READERS=0 count "vacantix-cli 1 thread" "$cli" "${opts[@]}"
  [ -z "$baseline" ] || count "vacantix-cli $baseline_name" "$baseline" "${opts[@]}"
  count "walker x1" "$out/walker" -t 1 "$out/t1"
fi

echo "load before: $load_before"
echo "load after:  $load_after"
echo
python3 - "$rows" "$out" "$gaps" <<'PY'
import os, sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1])]
find = {r[0]: float(r[2]) for r in rows if r[1] == "find"}
print("| tree | command | median s | vs find | CPU s | peak RSS MiB | results | exit |")
print("| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: |")
for tree, name, median, rss, records, status, cpu in rows:
    m = float(median)
    cpu = cpu if cpu == "-" else "%.3f" % float(cpu)
    print("| %s | %s | %.3f | %.2fx | %s | %.1f | %s | %s |"
          % (tree, name, m, m / find[tree], cpu, int(rss) / 1024, records, status))
print("\n(CPU s: mean user + system time of a run, which other load on the machine")
print("disturbs less than the wall time; walker: the folders it read; window: its")
print("own time up to \"Done.\"; find, bfs and fd list the folders that are empty")
print("themselves, vacantix also each folder holding nothing but empty folders;")
print("t2-cold: the page cache dropped before each run)")
for line in open(sys.argv[3]):
    print(line.rstrip("\n"))
# The vacantix rows of a tree print the same bytes, whichever way they read.
for tree in dict.fromkeys(r[0] for r in rows):
    outputs = {r[1]: os.path.join(sys.argv[2], "%s.%s.out" % (tree, r[1])) for r in rows
               if r[0] == tree and r[1].startswith("vacantix-cli")}
    texts = {name: open(path, "rb").read() for name, path in outputs.items() if os.path.exists(path)}
    if len(texts) > 1:
        same = len(set(texts.values())) == 1
        print("%s: %s" % (tree, ("the vacantix-cli rows printed the same bytes" if same else
                                 "the vacantix-cli rows printed DIFFERENT output: " + ", ".join(texts))))
counts = [line.rstrip("\n").split("\t") for line in open(os.path.join(sys.argv[2], "counts.tsv"))]
if counts:
    print("\n| on t1 | user instructions per folder | system calls per folder (futex apart) | futex per folder |")
    print("| --- | ---: | ---: | ---: |")
    for name, folders, instructions, calls, futex in counts:
        per = lambda n: "-" if n in ("-", "") else "%.2f" % (int(n) / int(folders))
        print("| %s | %s | %s | %s |" % (name, "-" if instructions in ("-", "") else "%.0f" % (int(instructions) / int(folders)), per(calls), per(futex)))
cli = {r[0]: float(r[2]) for r in rows if r[1] == "vacantix-cli"}
if "chain-2000" in cli and "chain-4000" in cli:
    print("\nvacantix-cli chain-4000 / chain-2000: %.2f (below 2.5 wanted)" % (cli["chain-4000"] / cli["chain-2000"]))
    if "chain-1000" in cli:
        print("vacantix-cli chain-2000 / chain-1000: %.2f" % (cli["chain-2000"] / cli["chain-1000"]))
    limit = (os.pathconf("/", "PC_PATH_MAX") - len(os.path.join(sys.argv[2], "chain-4000")) - 1) // 2
    print("(chain folders deeper than about %d levels lie beyond PATH_MAX)" % limit)
PY
