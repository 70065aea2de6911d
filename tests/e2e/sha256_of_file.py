"""Prints "sha256=<hex>" for a file, read in chunks."""

import hashlib
import sys

digest = hashlib.sha256()
with open(sys.argv[1], "rb") as source:
    for chunk in iter(lambda: source.read(1 << 20), b""):
        digest.update(chunk)
print("sha256=" + digest.hexdigest())
