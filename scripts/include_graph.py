#!/usr/bin/env python3
"""Include graph of src/: reports include circles and includes against the layer order.

A unit is a header and its source file together (folder/Name.h + folder/Name.cpp): a circle
between units is a circle even when every single file compiles. Layers, from the top:

    app, cli > tools > editors > gui > sim > update > device, frames > links, net > common

A file may include its own layer and the layers below it, never one above.

    python3 scripts/include_graph.py [SRC_DIR]      exit status 1 when something is wrong
"""

import os
import re
import sys

# Rank of each folder: a file may include only folders of the same or a lower rank.
LAYER_RANK = {
    "common": 0,
    "links": 1, "net": 1,
    "device": 2, "frames": 2,
    "update": 3,
    "sim": 4,
    "gui": 5,
    "editors": 6,
    "tools": 7,
    "app": 8, "cli": 8,
}
INCLUDE_RE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_SUFFIXES = (".h", ".cpp")


def unit_of(path):
    """folder/sub/Name.h -> folder/sub/Name (the unit a file belongs to)."""
    return os.path.splitext(path)[0]


def layer_of(path):
    """The top folder of a path relative to src/."""
    return path.split("/", 1)[0]


def read_graph(src):
    """{unit: {included unit: first including file}} and the list of layer offences."""
    edges = {}
    offences = []
    files = set()
    for root, _dirs, names in os.walk(src):
        for name in names:
            if name.endswith(SOURCE_SUFFIXES):
                files.add(os.path.relpath(os.path.join(root, name), src).replace(os.sep, "/"))
    for path in sorted(files):
        with open(os.path.join(src, path), encoding="utf-8") as handle:
            text = handle.read()
        unit = unit_of(path)
        edges.setdefault(unit, {})
        for included in INCLUDE_RE.findall(text):
            if included not in files:
                # Generated form headers (ui_X.h) and files next to the including one.
                local = os.path.normpath(os.path.join(os.path.dirname(path), included))
                if local.replace(os.sep, "/") not in files:
                    continue
                included = local.replace(os.sep, "/")
            target = unit_of(included)
            if target != unit:
                edges[unit].setdefault(target, path)
            own, other = layer_of(path), layer_of(included)
            if own in LAYER_RANK and other in LAYER_RANK and LAYER_RANK[other] > LAYER_RANK[own]:
                offences.append("%s includes %s (%s is above %s)" % (path, included, other, own))
    return edges, offences


def circles(edges):
    """Strongly connected components with more than one unit (Tarjan, iterative)."""
    index = {}
    low = {}
    on_stack = set()
    stack = []
    found = []
    counter = [0]
    for start in sorted(edges):
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, {}))))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, {})))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return found


def circle_path(edges, component):
    """One closed walk through a component, for the report: a -> b -> ... -> a."""
    members = set(component)
    start = component[0]
    # Breadth-first from start back to start, inside the component.
    previous = {start: None}
    queue = [start]
    end = None
    while queue and end is None:
        node = queue.pop(0)
        for child in sorted(edges.get(node, {})):
            if child not in members:
                continue
            if child == start:
                end = node
                break
            if child not in previous:
                previous[child] = node
                queue.append(child)
    walk = [start]
    node = end
    while node is not None and node != start:
        walk.insert(1, node)
        node = previous[node]
    walk.append(start)
    return " -> ".join(walk)


def main(argv):
    src = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    edges, offences = read_graph(src)
    problems = 0
    for component in circles(edges):
        problems += 1
        print("include circle: " + circle_path(edges, component))
        for unit in component:
            for target, via in sorted(edges[unit].items()):
                if target in component:
                    print("    %s includes %s" % (via, target))
    for offence in offences:
        problems += 1
        print("against the layer order: " + offence)
    if problems:
        print("%d problem(s) in %s" % (problems, os.path.normpath(src)))
        return 1
    print("no include circles, every include points down the layer order")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
