#!/usr/bin/env python3
"""Fails when folders of the tree include each other in a cycle.

usage: check-include-cycles.py ROOT [--exclude DIR]...

Every #include of the C and C++ sources is resolved as the build resolves
it: "X" first beside the including file, then in the include directories
that the folders' CMakeLists.txt declare (a folder that calls
add_core_library exports itself; target_include_directories names others
through ${CMAKE_CURRENT_SOURCE_DIR} and ${PROJECT_SOURCE_DIR}/...). A quoted
name found in no declared directory resolves to the one file of that name in
the tree. <X> is the system's unless a declared directory holds it. A name
that two directories or two files answer is reported as ambiguous, and fails
the check too: the edge it would draw cannot be told.

Each include becomes an edge from the including file's folder to the
included file's folder; every strongly connected set of folders is printed
as one cycle, with the includes that close it.
"""
import os
import re
import sys
from collections import defaultdict

SOURCE_EXTENSIONS = (".c", ".cc", ".cpp", ".h", ".hpp", ".inl")
SKIPPED_DIRS = {".git", "build", ".ci"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
DIR_VARIABLE = re.compile(r"\$\{(CMAKE_CURRENT_SOURCE_DIR|PROJECT_SOURCE_DIR|CMAKE_SOURCE_DIR)\}(/[^\s)]*)?")


def walk(root, excluded):
    """Relative paths of the sources and of the CMakeLists.txt files."""
    sources, cmake_files = [], []
    for dirpath, dirnames, filenames in os.walk(root):
        rel_dir = os.path.relpath(dirpath, root)
        rel_dir = "" if rel_dir == "." else rel_dir
        dirnames[:] = sorted(d for d in dirnames
                             if d not in SKIPPED_DIRS and not d.startswith("build")
                             and os.path.join(rel_dir, d) not in excluded)
        for name in sorted(filenames):
            rel = os.path.join(rel_dir, name)
            if name.endswith(SOURCE_EXTENSIONS):
                sources.append(rel)
            elif name == "CMakeLists.txt":
                cmake_files.append(rel)
    return sources, cmake_files


def include_dirs(root, cmake_files):
    """The tree's directories that some target puts on the include path."""
    dirs = set()
    for cmake in cmake_files:
        folder = os.path.dirname(cmake)
        with open(os.path.join(root, cmake), encoding="utf-8", errors="replace") as f:
            text = f.read()
        if re.search(r"^\s*add_core_library\s*\(", text, re.MULTILINE):
            dirs.add(folder)
        for call in re.finditer(r"target_include_directories\s*\(([^)]*)\)", text):
            for match in DIR_VARIABLE.finditer(call.group(1)):
                base = folder if match.group(1) == "CMAKE_CURRENT_SOURCE_DIR" else ""
                path = os.path.normpath(os.path.join(base, (match.group(2) or "").lstrip("/")))
                dirs.add("" if path == "." else path)
    return dirs


def resolve(root, source, quoted, name, dirs, by_basename, known):
    """(path, None) for a file of the tree, (None, None) for the system's,
    (None, reason) when it cannot be told."""
    if quoted:
        beside = os.path.normpath(os.path.join(os.path.dirname(source), name))
        if beside in known:
            return beside, None
    found = sorted({os.path.normpath(os.path.join(d, name)) for d in dirs} & known)
    if len(found) == 1:
        return found[0], None
    if len(found) > 1:
        return None, "include directories hold " + ", ".join(found)
    if not quoted:
        return None, None
    named = by_basename.get(os.path.basename(name), [])
    named = [p for p in named if p.endswith(os.sep + name) or p == name] if os.sep in name else named
    if len(named) == 1:
        return named[0], None
    if len(named) > 1:
        return None, "the tree holds " + ", ".join(sorted(named))
    return None, None


def strongly_connected(graph):
    """Tarjan's algorithm, iterative; sets of two folders or more."""
    index, low, on_stack, stack, result = {}, {}, set(), [], []
    counter = [0]
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph[child]))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                group = set()
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.add(member)
                    if member == node:
                        break
                if len(group) > 1:
                    result.append(group)
    return result


def cycle_through(start, group, graph):
    """The shortest closed path from start through a strongly connected group."""
    paths = {start: [start]}
    queue = [start]
    while queue:
        node = queue.pop(0)
        for child in sorted(graph[node]):
            if child == start:
                return paths[node] + [start]
            if child in group and child not in paths:
                paths[child] = paths[node] + [child]
                queue.append(child)
    return [start]


def folder_of(path):
    return os.path.dirname(path) + "/" if os.path.dirname(path) else "./"


def main(argv):
    args = argv[1:]
    if not args:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    root = args[0]
    excluded = {os.path.normpath(args[i + 1]) for i in range(1, len(args) - 1) if args[i] == "--exclude"}
    sources, cmake_files = walk(root, excluded)
    known = set(sources)
    by_basename = defaultdict(list)
    for path in sources:
        by_basename[os.path.basename(path)].append(path)
    dirs = include_dirs(root, cmake_files)

    graph = defaultdict(set)
    edges = defaultdict(list)
    ambiguous = []
    for source in sources:
        with open(os.path.join(root, source), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for match in INCLUDE.finditer(text):
            target, reason = resolve(root, source, match.group(1) == '"', match.group(2), dirs, by_basename, known)
            if reason:
                ambiguous.append(f"{source}: #include {match.group(2)} is ambiguous: {reason}")
                continue
            if target is None:
                continue
            a, b = folder_of(source), folder_of(target)
            graph[a]
            graph[b]
            if a != b:
                graph[a].add(b)
                edges[(a, b)].append(f"{source} -> {target}")

    for line in ambiguous:
        print(line)
    cycles = strongly_connected(graph)
    for group in cycles:
        print("folders in a cycle: " + ", ".join(sorted(group)))
        shown = set()
        for start in sorted(group):
            path = cycle_through(start, group, graph)
            key = frozenset(zip(path, path[1:]))
            if key in shown:
                continue
            shown.add(key)
            print("  cycle: " + " -> ".join(path))
            for a, b in zip(path, path[1:]):
                for edge in edges[(a, b)]:
                    print("    " + edge)
    if cycles or ambiguous:
        return 1
    print(f"{len(graph)} folders, {sum(len(v) for v in graph.values())} dependencies between them, no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
