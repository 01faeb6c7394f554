#!/usr/bin/env python3
"""Prints the include cycles of the sources: groups of files that include each other, directly
or through others, and groups of folders under src/ that do. Exits 1 when there is any.

Usage: tools/include_cycles.py [--files-only] [SOURCE_ROOT]   (default: src beside tools/)
A file counts as including the header it names with #include "folder/Name.h"; a .cpp and its
own .h are one unit, so a header whose .cpp includes another header that includes it back is a
cycle too.
"""
import os
import re
import sys
from collections import defaultdict

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def units(root):
    """Maps each unit (path without extension, relative to root) to the units it includes."""
    edges = defaultdict(set)
    for folder, _, names in os.walk(root):
        for name in names:
            if not name.endswith(('.h', '.cpp')):
                continue
            path = os.path.join(folder, name)
            unit = os.path.splitext(os.path.relpath(path, root))[0]
            edges[unit]
            with open(path, encoding='utf-8', errors='replace') as source:
                for included in INCLUDE.findall(source.read()):
                    target = os.path.splitext(included)[0]
                    if target != unit and os.path.exists(os.path.join(root, included)):
                        edges[unit].add(target)
    return edges


def strongly_connected(edges):
    """Tarjan's algorithm, iterative; answers the groups of more than one member."""
    index = {}
    low = {}
    on_stack = set()
    stack = []
    groups = []
    counter = 0
    for start in sorted(edges):
        if start in index:
            continue
        work = [(start, iter(sorted(edges[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, successors = work[-1]
            advanced = False
            for successor in successors:
                if successor not in index:
                    index[successor] = low[successor] = counter
                    counter += 1
                    stack.append(successor)
                    on_stack.add(successor)
                    work.append((successor, iter(sorted(edges.get(successor, ())))))
                    advanced = True
                    break
                if successor in on_stack:
                    low[node] = min(low[node], index[successor])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    groups.append(sorted(group))
    return sorted(groups)


def folder_of(unit):
    return unit.split('/')[0] if '/' in unit else '.'


def main(arguments):
    files_only = '--files-only' in arguments
    arguments = [argument for argument in arguments if argument != '--files-only']
    root = arguments[0] if arguments else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'src')
    edges = units(root)
    file_groups = strongly_connected(edges)
    for group in file_groups:
        print('files: ' + ' <-> '.join(group))
    folder_groups = []
    if not files_only:
        folder_edges = defaultdict(set)
        examples = {}
        for unit, targets in edges.items():
            for target in targets:
                pair = (folder_of(unit), folder_of(target))
                if pair[0] != pair[1]:
                    folder_edges[pair[0]].add(pair[1])
                    examples.setdefault(pair, f'{unit} -> {target}')
        folder_groups = strongly_connected(folder_edges)
        for group in folder_groups:
            members = set(group)
            links = sorted(f'{a}->{b} ({examples[(a, b)]})' for (a, b) in examples if a in members and b in members)
            print('folders: ' + ' <-> '.join(group) + ': ' + '; '.join(links))
    print(f'{len(file_groups)} file cycle(s), {len(folder_groups)} folder cycle(s)')
    return 1 if file_groups or folder_groups else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
