#!/usr/bin/env python3
"""Holds the production folders to their layers.

Every #include in a production folder that names a file of another
folder must point downward:

    core < board (sim beside it) < acquisition < liveview
         < media, connectivity, settings, calibration (never each other) < app

Each edge that does not is printed as "file:line  from -> to" and the check
fails. It also fails when a folder's CMake library does not link exactly the
folder libraries its includes use (norvik7_<folder> in target_link_libraries).

Usage: layercheck.py [SOURCE_DIR]
"""
import os
import re
import sys

# What each folder may include besides itself.
BELOW = {
    'core': set(),
    'board': {'core'},
    'sim': {'core', 'board'},
    'acquisition': {'core', 'board'},
    'liveview': {'core', 'board', 'acquisition'},
}
for middle in ('media', 'connectivity', 'settings', 'calibration'):
    BELOW[middle] = {'core', 'board', 'acquisition', 'liveview'}
BELOW['app'] = set(BELOW) - {'app'}
for middle in ('media', 'connectivity', 'settings', 'calibration'):
    BELOW['app'].add(middle)

# Edges still waiting to be removed, as "from/file.cpp -> to/header.h", each
# with the reason it is still there. The goal is an empty list.
ALLOWED = {
}

INCLUDE = re.compile(r'\s*#\s*include\s*[<"]([^>"]+)[>"]')
LINK = re.compile(r'target_link_libraries\(\s*norvik7_(\w+)\s+(?:PUBLIC|PRIVATE|INTERFACE)?([^)]*)\)', re.S)


def resolve(root, source_dir, name):
    """The project file an include names (relative to the file, then to the root)."""
    for candidate in (os.path.join(source_dir, name), os.path.join(root, name)):
        candidate = os.path.normpath(candidate)
        if os.path.isfile(candidate):
            return os.path.relpath(candidate, root)
    return None


def edges(root):
    """(file, line, from, to, header) of every include between two folders."""
    for folder in sorted(BELOW):
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, folder)):
            dirnames.sort()
            for name in sorted(filenames):
                if not name.endswith(('.h', '.cpp')):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding='utf-8', errors='replace') as f:
                    for number, text in enumerate(f, 1):
                        m = INCLUDE.match(text)
                        if not m:
                            continue
                        target = resolve(root, dirpath, m.group(1))
                        if not target:
                            continue
                        to = target.split(os.sep)[0]
                        if to != folder and to in BELOW:
                            yield os.path.relpath(path, root), number, folder, to, target


def linked(root, folder):
    """The folder libraries a folder's CMake files link its library to."""
    names = set()
    for dirpath, _, filenames in os.walk(os.path.join(root, folder)):
        if 'CMakeLists.txt' in filenames:
            with open(os.path.join(dirpath, 'CMakeLists.txt'), encoding='utf-8') as f:
                text = re.sub(r'#.*', '', f.read())
            for m in LINK.finditer(text):
                if m.group(1) == folder:
                    names |= {w[len('norvik7_'):] for w in m.group(2).split()
                              if w.startswith('norvik7_') and w[len('norvik7_'):] in BELOW}
    return names


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))
    failures = 0
    used = {folder: set() for folder in BELOW}
    seen_allowed = set()
    for path, number, origin, to, target in edges(root):
        used[origin].add(to)
        if to in BELOW[origin]:
            continue
        key = f'{path} -> {target}'
        if key in ALLOWED:
            seen_allowed.add(key)
            continue
        kind = 'upward' if origin in BELOW[to] else 'sideways'
        print(f'{path}:{number}  {origin} -> {to}  ({kind}: {target})')
        failures += 1
    for key in sorted(set(ALLOWED) - seen_allowed):
        print(f'allowed edge no longer there, take it off the list: {key}')
        failures += 1
    for folder in sorted(BELOW):
        links = linked(root, folder)
        if links != used[folder]:
            missing = ' '.join(sorted(used[folder] - links)) or '-'
            extra = ' '.join(sorted(links - used[folder])) or '-'
            print(f'{folder}/CMakeLists.txt: norvik7_{folder} links {sorted(links)} but its includes use '
                  f'{sorted(used[folder])} (missing: {missing}; unused: {extra})')
            failures += 1
    if failures:
        print(f'{failures} layer fault(s)')
        return 1
    print(f'layers hold ({len(ALLOWED)} allowed edge(s) left)')
    return 0


if __name__ == '__main__':
    sys.exit(main())
