#!/usr/bin/env python3
"""Runs the layering check on a fixture tree holding one upward include, Qt above the
platform and a folder outside every layer, and checks it reports exactly those."""
import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
script, layers = sys.argv[1], sys.argv[2]
result = subprocess.run([sys.executable, script, "--root", os.path.join(here, "layering_fixture"),
                         "--layers", layers], capture_output=True, text=True)
reported = [line for line in result.stdout.splitlines() if line.startswith("source/")]
expected = [
    "source/platform/core/Upward.h:4: includes richtext/core/Document.h of source/richtext/core, "
    "a layer above source/platform/core",
    "source/richtext/core/Document.h:4: Qt header <QImage> above source/platform",
    "source/richtext/core/Document.h:12: Qt type QImage above source/platform",
    "source/stray/Loose.h:1: source/stray is in no layer of the table",
]
failures = []
if result.returncode != 1:
    failures.append(f"exit code {result.returncode}, expected 1")
if sorted(reported) != sorted(expected):
    failures.append("reported:\n  " + "\n  ".join(reported) + "\nexpected:\n  " + "\n  ".join(expected))
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
