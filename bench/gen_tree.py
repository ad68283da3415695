#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Builds folder trees for timing empty-folder scans.

  gen_tree.py random OUT [--seed S] [--folders N] [--files N] [--empty-share F]
                         [--zero-share F] [--hidden-share F] [--depth D]
  gen_tree.py chain OUT --length N [--name NAME]
  gen_tree.py leaves OUT --count N [--per-group G]

random: N folders below OUT (OUT itself not counted), each hanging below a
  folder chosen at random among those not yet at depth D. A share of the
  folders starts an empty subtree (no file anywhere below it); the files go
  to the other folders, a share of them with 0 bytes. A share of folder
  names start with ".".
chain:  N folders nested one in the other, each made relative to its parent
  through a descriptor, so no path limit is hit however deep it goes.
leaves: N empty folders in groups of G; each group folder holds one file, so
  exactly N folders are empty.

The same arguments and seed give the same tree. OUT must not exist yet. A
summary line (folders, files, empty folders a find-like test would report,
and the folders with no file anywhere below them) goes to stdout.
"""

import argparse
import os
import random
import sys


def build_random(args):
    rng = random.Random(args.seed)
    os.mkdir(args.out)
    parent_of = [-1]
    depth_of = [0]
    in_empty = [False]
    names = [args.out]
    open_parents = [0]
    for i in range(1, args.folders + 1):
        parent = open_parents[rng.randrange(len(open_parents))]
        name = (".h%d" if rng.random() < args.hidden_share else "d%d") % i
        parent_of.append(parent)
        depth_of.append(depth_of[parent] + 1)
        in_empty.append(in_empty[parent] or rng.random() < args.empty_share)
        names.append(name)
        if depth_of[i] < args.depth:
            open_parents.append(i)

    paths = [args.out]
    for i in range(1, len(names)):
        paths.append(os.path.join(paths[parent_of[i]], names[i]))
        os.mkdir(paths[i])

    holders = [i for i in range(len(paths)) if not in_empty[i]]
    entries = [0] * len(paths)
    has_file = [False] * len(paths)
    for i in range(1, len(paths)):
        entries[parent_of[i]] += 1
    for n in range(args.files):
        folder = holders[rng.randrange(len(holders))]
        size = 0 if rng.random() < args.zero_share else rng.randrange(1, 512)
        with open(os.path.join(paths[folder], "f%d.txt" % n), "wb") as f:
            f.write(b"x" * size)
        entries[folder] += 1
        has_file[folder] = True

    empty = sum(1 for i in range(1, len(paths)) if entries[i] == 0)
    # A folder with no file anywhere below it: what a search reporting
    # nested empty folders, each with its own entry, would list.
    fileless = 0
    for i in range(len(paths) - 1, 0, -1):
        if has_file[i]:
            has_file[parent_of[i]] = True
        else:
            fileless += 1
    return args.folders, args.files, empty, fileless


def build_chain(args):
    os.mkdir(args.out)
    fd = os.open(args.out, os.O_RDONLY | os.O_DIRECTORY)
    try:
        for _ in range(args.length):
            os.mkdir(args.name, dir_fd=fd)
            child = os.open(args.name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
            os.close(fd)
            fd = child
    finally:
        os.close(fd)
    return args.length, 0, 1, args.length


def build_leaves(args):
    os.mkdir(args.out)
    groups = (args.count + args.per_group - 1) // args.per_group
    made = 0
    for g in range(groups):
        group = os.path.join(args.out, "g%05d" % g)
        os.mkdir(group)
        with open(os.path.join(group, "keep.txt"), "wb") as f:
            f.write(b"keep\n")
        for n in range(min(args.per_group, args.count - made)):
            os.mkdir(os.path.join(group, "e%04d" % n))
            made += 1
    return groups + made, groups, made, made


def share(text):
    value = float(text)
    if not 0.0 <= value <= 1.0:
        raise argparse.ArgumentTypeError("a share lies between 0 and 1")
    return value


def main():
    parser = argparse.ArgumentParser(description="Builds folder trees for timing empty-folder scans.")
    kinds = parser.add_subparsers(dest="kind", required=True)

    r = kinds.add_parser("random", help="a random tree of folders and files")
    r.add_argument("out")
    r.add_argument("--seed", type=int, default=1)
    r.add_argument("--folders", type=int, default=100_000)
    r.add_argument("--files", type=int, default=100_000)
    r.add_argument("--empty-share", type=share, default=0.05)
    r.add_argument("--zero-share", type=share, default=0.1)
    r.add_argument("--hidden-share", type=share, default=0.02)
    r.add_argument("--depth", type=int, default=12)
    r.set_defaults(build=build_random)

    c = kinds.add_parser("chain", help="one chain of nested empty folders")
    c.add_argument("out")
    c.add_argument("--length", type=int, required=True)
    c.add_argument("--name", default="n")
    c.set_defaults(build=build_chain)

    l = kinds.add_parser("leaves", help="many empty folders in groups")
    l.add_argument("out")
    l.add_argument("--count", type=int, required=True)
    l.add_argument("--per-group", type=int, default=100)
    l.set_defaults(build=build_leaves)

    args = parser.parse_args()
    if os.path.lexists(args.out):
        sys.exit("gen_tree.py: %s exists already" % args.out)
    folders, files, empty, fileless = args.build(args)
    print("%s: %d folders, %d files, %d empty folders, %d folders with no file below"
          % (args.out, folders, files, empty, fileless))


if __name__ == "__main__":
    main()
