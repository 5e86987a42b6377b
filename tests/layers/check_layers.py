#!/usr/bin/env python3
"""Checks that the libraries use each other only downward: every #include "dir/File.h"
of a library's files must name a header of the library itself or of one below it."""
import os
import re
import sys

# Library of a source or header, by folder, with the files that sit in another
# library than their folder's.
SESSION = ('Breakpoints', 'BreakpointPlacement', 'DebugSessionClient', 'DebuggerMessages',
           'ExpressionCallback', 'FrameEvaluation', 'StackFrames')
DOCKING = ('CAnchorDialog', 'CDockPane', 'CDockPaneCF', 'CDockPaneFloatFrame', 'CDockPaneG')


def library(path):
    folder, name = path.split('/', 1)[0], os.path.splitext(os.path.basename(path))[0]
    if folder == 'debugger':
        return 'host' if name in SESSION else 'panes'
    if folder == 'host':
        return {'ResultsPane': 'panes', 'TevrinApp': 'Tevrin'}.get(name, 'host')
    if folder == 'frame':
        return 'docking' if name in DOCKING else 'mainframe'
    if folder in ('common', 'framework', 'editor', 'explorer', 'recorder', 'wrappers', 'ostrel', 'resources',
                  'debugservices', 'stepscript'):
        return folder
    return None


# Each library and the ones it may use directly.
USES = {
    'Tevrin': ['mainframe', 'host'],
    'mainframe': ['panes', 'editor', 'explorer', 'recorder', 'host', 'docking', 'framework'],
    'panes': ['host', 'docking', 'framework'],
    'editor': ['host', 'framework', 'common'],
    'explorer': ['docking', 'framework', 'common'],
    'recorder': ['ostrel', 'common'],
    'host': ['common'],
    'docking': ['framework'],
    'framework': ['common'],
    'wrappers': ['ostrel', 'common'],
    'ostrel': [],
    'debugservices': ['common'],
    'stepscript': ['common'],
    'common': [],
}


def below(lib, seen=None):
    seen = set() if seen is None else seen
    for used in USES[lib]:
        if used not in seen:
            seen.add(used)
            below(used, seen)
    return seen


def main(root):
    include = re.compile(r'^\s*#\s*include\s+"([a-z]+/[^"]+)"')
    faults = []
    for folder in ('common', 'framework', 'frame', 'host', 'debugger', 'editor', 'explorer', 'recorder', 'wrappers',
                   'ostrel', 'debugservices', 'stepscript'):
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith(('.h', '.cpp')):
                    continue
                path = os.path.relpath(os.path.join(base, name), root).replace(os.sep, '/')
                lib = library(path)
                allowed = below(lib) | {lib, 'resources'}
                with open(os.path.join(root, path), encoding='utf-8', errors='replace') as f:
                    for number, line in enumerate(f, 1):
                        m = include.match(line)
                        if m and library(m.group(1)) not in allowed:
                            faults.append(f'{path}:{number}: {lib} uses {m.group(1)} ({library(m.group(1))})')
    for fault in faults:
        print(fault)
    print(f'{len(faults)} upward use(s)' if faults else 'libraries use each other downward only')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', '..')))
