#!/usr/bin/env python3
"""Checks the layering of the engine's libraries.

Reads the layer map CMake writes at generate time (one line per layer:
target, folder, whether the folder's sub-folders belong to it, and the
target's real link libraries) and fails when

  - the link graph of the layers has a cycle, or
  - a source file of a layer includes a header of a layer that its own
    does not depend on (directly or through the layers below), or a header
    that belongs to no layer.

Usage: check_layers.py <layer map> <source root>
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = ('.h', '.cpp')


def read_map(path):
    layers = {}
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line:
                continue
            target, folder, recurse, links = line.split('|')
            layers[target] = {
                'folder': folder.strip('/'),
                'recurse': recurse == '1',
                'links': [l for l in links.split(';') if l],
            }
    for layer in layers.values():
        # Only links to other layers make the graph; system and outside
        # libraries do not.
        layer['deps'] = [l for l in layer['links'] if l in layers]
    return layers


def find_cycle(layers):
    """A cycle as a list of targets, or None."""
    state = {}  # target -> 1 while on the path, 2 when done
    path = []

    def visit(target):
        state[target] = 1
        path.append(target)
        for dep in layers[target]['deps']:
            if state.get(dep) == 1:
                return path[path.index(dep):] + [dep]
            if dep not in state:
                found = visit(dep)
                if found:
                    return found
        path.pop()
        state[target] = 2
        return None

    for target in sorted(layers):
        if target not in state:
            found = visit(target)
            if found:
                return found
    return None


def closure(layers):
    """Each layer with every layer below it, itself included."""
    below = {}

    def walk(target):
        if target in below:
            return below[target]
        below[target] = {target}
        for dep in layers[target]['deps']:
            below[target] |= walk(dep)
        return below[target]

    for target in layers:
        walk(target)
    return below


def owner_of(folder, layers):
    """The layer a folder's files belong to: the layer of that folder, else
    the nearest layer above it that takes its sub-folders; None if none."""
    exact = [t for t, l in layers.items() if l['folder'] == folder]
    if exact:
        return sorted(exact)[0]
    best = None
    for target, layer in layers.items():
        prefix = layer['folder'] + '/'
        if layer['recurse'] and folder.startswith(prefix):
            if best is None or len(layer['folder']) > len(layers[best]['folder']):
                best = target
    return best


def layer_files(target, layers, root):
    layer = layers[target]
    base = os.path.join(root, layer['folder'])
    for dirpath, dirnames, filenames in os.walk(base):
        folder = os.path.relpath(dirpath, root).replace(os.sep, '/')
        if owner_of(folder, layers) != target:
            dirnames[:] = []
            continue
        if not layer['recurse']:
            dirnames[:] = []
        for name in sorted(filenames):
            if name.endswith(SOURCE_SUFFIXES):
                yield folder + '/' + name
        dirnames.sort()


def check_includes(layers, root):
    below = closure(layers)
    problems = []
    for target in sorted(layers):
        for path in layer_files(target, layers, root):
            with open(os.path.join(root, path), encoding='utf-8', errors='replace') as f:
                text = f.read()
            for included in INCLUDE.findall(text):
                folder = os.path.dirname(included)
                owner = owner_of(folder, layers)
                if owner is None:
                    problems.append(f'{path} ({target}) includes {included}, which belongs to no library')
                elif owner not in below[target]:
                    problems.append(f'{path} ({target}) includes {included} of {owner}, '
                                    f'which {target} does not depend on')
    return problems


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    layers = read_map(argv[1])
    root = argv[2]
    failed = False
    cycle = find_cycle(layers)
    if cycle:
        print('library cycle: ' + ' -> '.join(cycle))
        failed = True
    problems = check_includes(layers, root)
    for problem in problems:
        print(problem)
    if problems:
        failed = True
    if failed:
        return 1
    print(f'{len(layers)} libraries, no cycle, every include within the layers below')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
