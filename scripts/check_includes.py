#!/usr/bin/env python3
"""Checks that every file includes only the project headers its targets may use.

Two rules, for every C and C++ file of the tree:

1. A header under `<folder>/internal/` is included only by files under `<folder>/`, and by the
   fuzzing harnesses (fuzz/), which feed a reader's inner units directly as white-box tests do.
2. A file includes a project header only when the target that compiles it (for a header: the
   target that owns it) is that header's owner or links it, directly or through the libraries
   they link publicly: the tie the include stands for is declared in CMake.

The targets, their sources and the libraries they link come from CMake itself: the top-level
CMakeLists.txt writes them to `target_graph.tsv` in the build folder at every configure. A header
belongs to the targets that list it or a source file of the same name beside it (`foo.h` and
`foo.cpp`); a header with neither belongs to the libraries defined in its folder's CMakeLists.txt,
or in the nearest folder above it that has one.

Usage: check_includes.py [BUILD_DIR]   (default: $QUILLMOVE_BUILD_DIR, else build/)
Exit status 0 when every include keeps the rules, 1 when one does not (each is printed), 2 when
the build folder has no target graph.
"""

import os
import re
import sys
from collections import defaultdict

ROOT = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
CODE = (".h", ".hpp", ".c", ".cc", ".cpp")
HEADERS = (".h", ".hpp")
LIBRARIES = {"STATIC_LIBRARY", "SHARED_LIBRARY", "MODULE_LIBRARY", "OBJECT_LIBRARY",
             "INTERFACE_LIBRARY"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')


class Graph:
    """The targets of one build: kind, folder, sources and links."""

    def __init__(self, path):
        self.type = {}
        self.folder = {}
        self.sources = defaultdict(set)  # target -> files relative to ROOT
        self.links = defaultdict(list)  # what the target itself links
        self.interface = defaultdict(list)  # what its users see through it
        with open(path, encoding="utf-8") as f:
            for line in f:
                fields = line.rstrip("\n").split("\t")
                kind, target, values = fields[0], fields[1], fields[2:]
                if kind == "target":
                    self.type[target] = values[0]
                    self.folder[target] = relative(values[1])
                elif kind == "sources":
                    base = os.path.join(ROOT, self.folder[target])
                    for value in values:
                        if "$<" in value:
                            continue
                        path = relative(os.path.join(base, value))
                        if path is not None:
                            self.sources[target].add(path)
                elif kind == "links":
                    self.links[target] = [v for v in values if "$<" not in v]
                elif kind == "interface":
                    self.interface[target] = [v for v in values if "$<" not in v]
        self.targets_of = defaultdict(set)  # file -> targets that compile or list it
        for target, files in self.sources.items():
            for path in files:
                self.targets_of[path].add(target)
        self._seen = {}
        self._owners = {}

    def sees(self, target):
        """The target and every library whose headers it may include: what it links, and what
        those link publicly ($<LINK_ONLY:...> items, a static library's private links, are not
        seen)."""
        if target not in self._seen:
            seen = {target}
            todo = [l for l in self.links[target] if l in self.type]
            while todo:
                library = todo.pop()
                if library in seen:
                    continue
                seen.add(library)
                todo.extend(l for l in self.interface[library] if l in self.type)
            self._seen[target] = seen
        return self._seen[target]

    def owners(self, header):
        """The targets a header belongs to."""
        if header not in self._owners:
            listed = set(self.targets_of.get(header, ()))
            stem = os.path.splitext(header)[0]
            for ext in (".cpp", ".cc", ".c"):
                listed |= self.targets_of.get(stem + ext, set())
            folder = os.path.dirname(header)
            while not listed and folder:
                listed = {t for t, kind in self.type.items()
                          if kind in LIBRARIES and self.folder[t] == folder}
                folder = os.path.dirname(folder)
            self._owners[header] = listed
        return self._owners[header]


def relative(path):
    """The path relative to the tree, or None for a file outside it."""
    path = os.path.realpath(path)
    if path != ROOT and not path.startswith(ROOT + os.sep):
        return None
    return os.path.relpath(path, ROOT).replace(os.sep, "/")


def code_files(build):
    """Every C and C++ file of the tree, build folders left out."""
    for folder, subfolders, files in os.walk(ROOT):
        subfolders[:] = sorted(
            d for d in subfolders
            if not d.startswith(".") and
            not os.path.exists(os.path.join(folder, d, "CMakeCache.txt")) and
            os.path.realpath(os.path.join(folder, d)) != build)
        for name in sorted(files):
            if name.endswith(CODE):
                yield relative(os.path.join(folder, name))


def includes_of(path):
    """(line number, included file relative to the tree) for each project include of the file."""
    here = os.path.dirname(os.path.join(ROOT, path))
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            for base in (here, ROOT):
                candidate = os.path.join(base, m.group(1))
                if os.path.isfile(candidate):
                    included = relative(candidate)
                    if included is not None:
                        yield number, included
                    break


def check(build):
    graph = Graph(os.path.join(build, "target_graph.tsv"))
    faults = []
    files = includes = 0
    unplaced = []
    for path in code_files(build):
        files += 1
        if path.endswith(HEADERS):
            users, need_all = graph.owners(path), False
        else:
            users, need_all = graph.targets_of.get(path, set()), True
        if not users:
            unplaced.append(path)
        for number, header in includes_of(path):
            includes += 1
            where = f"{path}:{number}: {header}"
            parts = header.split("/")
            if "internal" in parts[:-1]:
                owner_folder = "/".join(parts[:parts.index("internal")]) + "/"
                if not path.startswith((owner_folder, "fuzz/")):
                    faults.append(f"{where} is internal to {owner_folder}")
                    continue
            owners = graph.owners(header)
            if not owners or not users:
                continue
            allowed = [u for u in users if graph.sees(u) & owners]
            if need_all:
                missing = sorted(set(users) - set(allowed))
            else:
                missing = [] if allowed else sorted(users)
            if missing:
                faults.append(f"{where} belongs to {', '.join(sorted(owners))}, which "
                              f"{', '.join(missing)} does not link")
    for fault in faults:
        print(fault)
    if os.environ.get("QUILLMOVE_INCLUDE_CHECK_VERBOSE"):
        for path in unplaced:
            print(f"in no target: {path}")
    print(f"include check: {files} files, {includes} project includes, "
          f"{len(faults)} against the rules"
          + (f"; {len(unplaced)} files in no target of this build were checked for internal "
             "headers only" if unplaced else ""))
    return 1 if faults else 0


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.environ.get(
        "QUILLMOVE_BUILD_DIR", os.path.join(ROOT, "build"))
    build = os.path.realpath(build)
    if not os.path.isfile(os.path.join(build, "target_graph.tsv")):
        print(f"include check: {build} has no target_graph.tsv; configure it with cmake first",
              file=sys.stderr)
        return 2
    return check(build)


if __name__ == "__main__":
    sys.exit(main())
