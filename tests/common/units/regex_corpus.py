#!/usr/bin/env python3
"""Fetches the regular-expression test table of Debian's Python test-suite package and turns
it into a tab-separated file the TRegex conformance test reads.

Usage: regex_corpus.py OUTDIR   (writes OUTDIR/re_tests.tsv; exit status 1 with a reason on
standard error when the package cannot be fetched or read)

Each output line holds, tab-separated: the pattern, the subject (both as hex of their
Latin-1 bytes), the outcome (0 succeed, 1 fail, 2 syntax error), the number of groups Python
sees (-1 when it cannot compile the pattern), the expression to evaluate as space-separated
parts (F = whole match, G<n> = group n, L<hex> = literal text; "?" when the expression is of
another form), and the expected value as hex.
"""
import ast
import glob
import os
import re
import subprocess
import sys
import tempfile

PACKAGE = "libpython3.11-testsuite"


def fail(reason):
    sys.stderr.write(reason + "\n")
    sys.exit(1)


def fetch(workdir):
    try:
        subprocess.run(["apt-get", "download", PACKAGE], cwd=workdir, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=300)
    except (OSError, subprocess.SubprocessError) as e:
        fail("apt-get download %s failed: %s" % (PACKAGE, e))
    debs = glob.glob(os.path.join(workdir, PACKAGE + "_*.deb"))
    if not debs:
        fail("apt-get download %s produced no package" % PACKAGE)
    root = os.path.join(workdir, "root")
    try:
        subprocess.run(["dpkg", "-x", debs[0], root], check=True, timeout=300)
    except (OSError, subprocess.SubprocessError) as e:
        fail("dpkg -x failed: %s" % e)
    found = glob.glob(os.path.join(root, "usr/lib/python3*/test/re_tests.py"))
    if not found:
        fail("re_tests.py is not in %s" % PACKAGE)
    return found[0]


def encode_expr(text):
    """The expression as parts, or '?' when it is not a sum of found, gN and literals."""
    try:
        tree = ast.parse(text, mode="eval").body
    except SyntaxError:
        return "?"
    parts = []

    def walk(node):
        if isinstance(node, ast.BinOp) and isinstance(node.op, ast.Add):
            return walk(node.left) and walk(node.right)
        if isinstance(node, ast.Name) and node.id == "found":
            parts.append("F")
            return True
        if isinstance(node, ast.Name) and re.fullmatch(r"g\d+", node.id):
            parts.append("G" + node.id[1:])
            return True
        if isinstance(node, ast.Constant) and isinstance(node.value, str):
            try:
                parts.append("L" + node.value.encode("latin-1").hex())
            except UnicodeEncodeError:
                return False
            return True
        return False

    return " ".join(parts) if walk(tree) and parts else "?"


def main():
    if len(sys.argv) != 2:
        fail("usage: regex_corpus.py OUTDIR")
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    with tempfile.TemporaryDirectory() as workdir:
        source = fetch(workdir)
        namespace = {}
        with open(source, encoding="utf-8") as f:
            code = f.read()
        exec(compile(code, source, "exec"), namespace)  # the file is a table of tuples
    lines = []
    for case in namespace["tests"]:
        pattern, subject, outcome = case[0], case[1], case[2]
        expr, expected = (case[3], case[4]) if len(case) >= 5 else ("", "")
        try:
            fields = [pattern.encode("latin-1").hex(), subject.encode("latin-1").hex()]
            expected_hex = expected.encode("latin-1").hex()
        except (UnicodeEncodeError, AttributeError):
            continue  # Unicode-only cases
        try:
            groups = re.compile(pattern).groups
        except re.error:
            groups = -1
        lines.append("\t".join(fields + [str(outcome), str(groups), encode_expr(expr) if expr else "?",
                                         expected_hex]))
    target = os.path.join(outdir, "re_tests.tsv")
    with open(target + ".tmp", "w") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(target + ".tmp", target)


if __name__ == "__main__":
    main()
