#!/usr/bin/env python3
"""Includes between the product folders run one way, as the README's Layout lays down. Fails on every
`#include "folder/..."` the table below does not allow, naming its file and line. Usage: layering_test.py [ROOT]"""
import pathlib, re, sys

# What each folder may include besides itself: app -> mainwin -> convert -> settings -> controls, and of the
# encoder only the header both sides share. A folder not named here may include no other folder.
LAYERS = ["app", "mainwin", "convert", "settings", "controls"]
ALLOWED = {d: set(LAYERS[i + 1:]) for i, d in enumerate(LAYERS)}
for d in ("app", "mainwin", "convert"):
    ALLOWED[d].add("encoder/protocol.h")

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
folders = {p.name for p in root.iterdir() if p.is_dir()}
include = re.compile(r'\s*#\s*include\s+"(([^/"]+)/[^"]*)"')
bad, seen = [], 0
products = sorted(d for d in folders if d not in ("tests", "bench") and not d.startswith(("build", ".")))
for top, path in ((d, p) for d in products for p in sorted((root / d).rglob("*"))):
    if path.suffix not in (".cpp", ".h", ".hpp", ".cc"):
        continue
    seen += top in ALLOWED
    for n, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        m = include.match(line)
        if m and m[2] != top and m[2] in folders and not {m[1], m[2]} & ALLOWED.get(top, set()):
            bad.append(f"{path.relative_to(root)}:{n}: {top} includes {m[1]}, against the layering")
print("\n".join(bad) or f"{seen} files, every include between folders runs one way")
sys.exit(1 if bad or not seen else 0)
