#!/usr/bin/env python3
"""Checks that code under source/ keeps the layer order of cmake/layers.txt: no file
includes a header of a layer above its own, and nothing above source/platform includes a
Qt header or names a Qt type. Prints one line per violation; exits 1 when there is any."""
import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".cpp", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^(Q[A-Z]\w*|Qt\w*|q\w+\.h)(/|$)")
QT_NAME = re.compile(r"\b(Q[A-Z][a-z]\w*|Qt::\w+)")
PLATFORM = "platform"


def read_layers(path):
    """Folder -> rank, from the bottom layer (0) up."""
    ranks = {}
    rank = 0
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            for folder in line.split():
                ranks[folder] = rank
            rank += 1
    return ranks


def layer_of(folder, ranks):
    """The listed folder that holds `folder` (longest prefix), or None."""
    best = None
    for listed in ranks:
        if (folder == listed or folder.startswith(listed + "/")) and (best is None or len(listed) > len(best)):
            best = listed
    return best


def code_lines(text):
    """The lines of a C++ file with comments and string literals blanked out, numbered from 1."""
    out = []
    in_block = False
    for line in text.split("\n"):
        kept = []
        i = 0
        while i < len(line):
            if in_block:
                end = line.find("*/", i)
                if end < 0:
                    i = len(line)
                else:
                    in_block = False
                    i = end + 2
            elif line.startswith("//", i):
                break
            elif line.startswith("/*", i):
                in_block = True
                i += 2
            elif line[i] == '"' and not line.lstrip().startswith("#"):
                end = i + 1
                while end < len(line) and line[end] != '"':
                    end += 2 if line[end] == "\\" else 1
                kept.append('""')
                i = end + 1
            else:
                kept.append(line[i])
                i += 1
        out.append("".join(kept))
    return out


def check_file(path, rel, ranks, source_root, problems):
    folder = os.path.dirname(rel)
    own = layer_of(folder, ranks)
    if own is None:
        problems.append(f"source/{rel}:1: source/{folder} is in no layer of the table")
        return
    above_platform = not (own == PLATFORM or own.startswith(PLATFORM + "/"))
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    for number, line in enumerate(code_lines(text), start=1):
        match = INCLUDE.match(line)
        if match:
            kind, target = match.groups()
            if kind == "<":
                if above_platform and QT_HEADER.match(target):
                    problems.append(f"source/{rel}:{number}: Qt header <{target}> above source/{PLATFORM}")
                continue
            if not os.path.exists(os.path.join(source_root, target)):
                continue  # a file beside this one, or generated
            theirs = layer_of(os.path.dirname(target), ranks)
            if theirs is not None and ranks[theirs] > ranks[own]:
                problems.append(f"source/{rel}:{number}: includes {target} of source/{theirs}, "
                                f"a layer above source/{own}")
            continue
        if above_platform:
            for name in QT_NAME.findall(line):
                problems.append(f"source/{rel}:{number}: Qt type {name} above source/{PLATFORM}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True, help="the folder that holds source/")
    parser.add_argument("--layers", required=True, help="the layer table")
    args = parser.parse_args()
    ranks = read_layers(args.layers)
    source_root = os.path.join(args.root, "source")
    problems = []
    for dirpath, dirnames, filenames in os.walk(source_root):
        dirnames.sort()
        for name in sorted(filenames):
            if name.endswith(SOURCE_SUFFIXES):
                path = os.path.join(dirpath, name)
                check_file(path, os.path.relpath(path, source_root), ranks, source_root, problems)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} layering violation(s)")
        return 1
    print("layering: no violations")
    return 0


if __name__ == "__main__":
    sys.exit(main())
