#!/usr/bin/env python3
"""Checks the project's includes: no include that runs upward in the layers
core/ <- readers/ <- preview/ <- programs/, no cycle among the headers,
and in core/ and readers/ no cycle between units either (a header with its
source and its _inline.h), so that each unit there can be read and tested
after the ones it includes. Prints each fault in one line
and exits 1 when there is one.

    python3 tests/include_layers.py [SOURCE_DIR]
"""
import os
import re
import sys

LAYERS = ["core", "readers", "preview", "programs"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def includes_of(root):
    graph = {}
    for layer in LAYERS:
        for folder, _, names in os.walk(os.path.join(root, layer)):
            for name in names:
                if name.endswith((".h", ".cpp")):
                    path = os.path.relpath(os.path.join(folder, name), root)
                    with open(os.path.join(root, path), encoding="utf-8") as text:
                        graph[path] = [i for i in INCLUDE.findall(text.read()) if i.split("/")[0] in LAYERS]
    return graph


def unit_of(path):
    stem = path.rsplit(".", 1)[0]
    return stem[: -len("_inline")] if stem.endswith("_inline") else stem


def cycles(graph):
    """Each cycle of graph (node -> set of nodes) met by a depth-first walk."""
    found, state = [], {}

    def visit(node, trail):
        state[node] = "open"
        for following in sorted(graph.get(node, ())):
            if state.get(following) == "open":
                found.append(trail[trail.index(following):] + [following])
            elif following not in state:
                visit(following, trail + [following])
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            visit(node, [node])
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    graph = includes_of(root)
    faults = []
    for path, included in sorted(graph.items()):
        for target in included:
            if LAYERS.index(target.split("/")[0]) > LAYERS.index(path.split("/")[0]):
                faults.append("%s includes %s, a layer above it" % (path, target))
    headers = {path: set(included) for path, included in graph.items() if path.endswith(".h")}
    for cycle in cycles(headers):
        faults.append("header include cycle: " + " -> ".join(cycle))
    units = {}
    for path, included in graph.items():
        if path.split("/")[0] in ("core", "readers"):
            unit = unit_of(path)
            units.setdefault(unit, set()).update(unit_of(i) for i in included if unit_of(i) != unit)
    for cycle in cycles(units):
        faults.append("unit include cycle: " + " -> ".join(cycle))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
