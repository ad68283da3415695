#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Folders per second for `vacantix-cli --trash`, `vacantix-cli --delete` and
# `find ROOT -mindepth 1 -type d -empty -delete`, in one run, on two trees:
#
#   siblings  COUNT empty folders side by side (COUNT trash calls)
#   nest      COUNT folders as COUNT/100 chains 100 deep: every folder is
#             empty, so --trash sends the top of each chain and finds the
#             rest gone with it
#
#   bench/trash.sh [OUT]    trees go below OUT (default bench/out), on the disk
#
# Environment: VACANTIX_CLI (default build/vacantix-cli), COUNT (default
# 10000). Each command gets its own fresh tree and its own HOME, built before
# its clock starts, so the real trash is never touched and the trash is on
# the trees' file system (the user's trash, not a top-directory one).
#
# Nothing is deleted right before a trash run: on ext4 without a journal,
# making a file (each trash record) scans past every inode freed in the last
# 5 to 30 seconds, so a trash run just after deleting a tree would pay for
# that deletion. The trash runs come first; everything is removed at the end.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "${1:-$here/out}" && cd "${1:-$here/out}" && pwd)
cli=${VACANTIX_CLI:-$here/../build/vacantix-cli}
count=${COUNT:-10000}
work=$out/trash-bench

[ -x "$cli" ] || { echo "trash.sh: no vacantix-cli at $cli (set VACANTIX_CLI)" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

rm -rf "$work"
mkdir -p "$work"
echo "file system of $work: $(stat -f -c %T "$work")" >&2

# A root holding a file (so the root itself is never empty) and COUNT
# folders, in a folder of its own that also holds its HOME.
build() {
  local kind=$1 case=$2
  mkdir -p "$case/home" "$case/$kind"
  echo keep >"$case/$kind/keep.txt"
  python3 - "$kind" "$case/$kind" "$count" <<'EOF'
import os, sys
kind, root, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
if kind == "siblings":
    for i in range(count):
        os.mkdir(os.path.join(root, "d%06d" % i))
else:
    depth = 100
    for chain in range(count // depth):
        os.makedirs(os.path.join(root, "c%04d" % chain, *(["n"] * (depth - 1))))
EOF
  sync
}

folders_left() { find "$1" -mindepth 1 -type d | wc -l; }

# Runs one command on a fresh tree and prints its line of the table.
serial=0
measure() {
  local kind=$1 label=$2; shift 2
  serial=$((serial + 1))
  local case=$work/$serial
  build "$kind" "$case"
  local root=$case/$kind start end left
  start=$(date +%s.%N)
  HOME=$case/home XDG_DATA_HOME=$case/home/data XDG_CONFIG_HOME=$case/home/config \
    XDG_CACHE_HOME=$case/home/cache "$@" "$root" >/dev/null 2>"$case/stderr" || true
  end=$(date +%s.%N)
  left=$(folders_left "$root")
  python3 - "$kind" "$label" "$start" "$end" "$count" "$left" "$(tail -n 1 "$case/stderr")" <<'EOF'
import sys
kind, label, start, end, count, left, note = sys.argv[1:]
seconds = float(end) - float(start)
gone = int(count) - int(left)
print(f"{kind:9} {label:22} {gone:7} gone {seconds:8.3f} s {gone / seconds:10.0f} folders/s   {note}")
EOF
}

echo "COUNT=$count, vacantix-cli at $cli" >&2
for kind in siblings nest; do
  measure "$kind" "vacantix-cli --trash" "$cli" --trash
done
for kind in siblings nest; do
  measure "$kind" "vacantix-cli --delete" "$cli" --delete
  measure "$kind" "find -empty -delete" sh -c 'find "$0" -mindepth 1 -type d -empty -delete'
done
rm -rf "$work"
