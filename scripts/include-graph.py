#!/usr/bin/env python3
"""Prints which folders of src/ include headers of which other folders, and
fails when a folder includes one above it.

The folders stand in layers, lowest first; a file may include headers of its
own folder and of the folders below it, never of one above. res/ holds only
resource ids and is below everything. Usage: include-graph.py [SRC_DIR]
"""
import os
import re
import sys

# Lowest first. Folders on one line share a layer (none may include another's).
LAYERS = [
    ["res"],
    ["support"],
    ["joblist"],
    ["dialogs"],
    ["convert"],
    ["about"],
    ["app"],
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/[^"]+"', re.M)


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    level = {name: i for i, layer in enumerate(LAYERS) for name in layer}
    edges = {}
    upward = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in level:
            upward.append("%s: a folder with no layer" % folder)
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".cpp", ".h", ".rc")):
                continue
            with open(os.path.join(path, name), encoding="utf-8") as f:
                text = f.read()
            for target in INCLUDE.findall(text):
                if target == folder:
                    continue
                edges.setdefault((folder, target), []).append(name)
                if target not in level or level[target] >= level[folder]:
                    upward.append("%s/%s includes %s/" % (folder, name, target))
    for (a, b), files in sorted(edges.items(), key=lambda e: (level.get(e[0][0], 99), e[0])):
        print("%-8s -> %-8s %s" % (a, b, " ".join(sorted(set(files)))))
    for line in upward:
        print("upward include: " + line)
    if upward:
        return 1
    print("no upward include")
    return 0


if __name__ == "__main__":
    sys.exit(main())
