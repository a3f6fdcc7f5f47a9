#!/usr/bin/env python3
"""Checks every #include line of the tree against the folder rules of include-rules.txt.

    scripts/check-includes.py [--root DIR] [--rules FILE]

Each C and C++ file (.c, .cpp, .h) belongs to the folder it lies in. A quoted include is
looked up as the compiler does: beside the including file, then from the root, and for
files under tests/ from the tests folder too. The file it names may lie in the same folder
or in a folder the rules allow; a Qt header (<QWidget>, <QtCore/...>) needs <Qt> in the
rule. Folders without sources need no rule, build folders (those holding a CMakeCache.txt)
and hidden folders are skipped. The rules themselves must allow no cycle between folders.

Exits 0 when every line keeps the rules, 1 with one message per broken line (file, line,
the include and the rule it breaks), 2 when the rules file cannot be used.
"""

import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".c", ".cpp", ".h")
QT_TOKEN = "<Qt>"
# Files the build generates beside the sources, never in the tree.
GENERATED = re.compile(r"\.moc$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Q[A-Za-z]")


class RulesError(Exception):
    pass


def read_rules(path):
    """{folder: set of folders (and <Qt>) it may include}; a folder may take several lines."""
    rules = {}
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.readlines()
    except OSError as e:
        raise RulesError(f"{path}: cannot be read ({e.strerror})")
    for number, line in enumerate(lines, 1):
        text = line.split("#", 1)[0].strip()
        if not text:
            continue
        folder, colon, allowed = text.partition(":")
        folder = folder.strip().rstrip("/")
        if not colon or not folder or " " in folder:
            raise RulesError(f"{path}:{number}: expected 'folder: folders it may include'")
        rules.setdefault(folder, set()).update(a.rstrip("/") for a in allowed.split())
    for folder, allowed in rules.items():
        for other in allowed - {QT_TOKEN}:
            if other not in rules:
                raise RulesError(f"{path}: {folder} may include {other}, which has no rule")
    cycle = find_cycle(rules)
    if cycle:
        raise RulesError(f"{path}: the rules let folders include each other: "
                         + " -> ".join(cycle))
    return rules


def find_cycle(rules):
    """A list of folders that reach each other through the rules, or None."""
    done = set()

    def visit(folder, path):
        if folder in path:
            return path[path.index(folder):] + [folder]
        if folder in done:
            return None
        for other in sorted(rules[folder] - {QT_TOKEN, folder}):
            found = visit(other, path + [folder])
            if found:
                return found
        done.add(folder)
        return None

    for folder in sorted(rules):
        found = visit(folder, [])
        if found:
            return found
    return None


def source_files(root):
    for directory, subdirs, files in os.walk(root):
        subdirs[:] = sorted(d for d in subdirs if not d.startswith(".")
                            and not os.path.exists(os.path.join(directory, d, "CMakeCache.txt")))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(directory, name), root)


def folder_of(path):
    return os.path.dirname(path) or "."


def resolve(root, including, name):
    """The included file relative to root, None when the tree has none, or a message when
    two files answer the name."""
    places = [folder_of(including), "."]
    if including.startswith("tests" + os.sep):
        places.append("tests")
    found = []
    for place in places:
        candidate = os.path.normpath(os.path.join(place, name))
        if os.path.isfile(os.path.join(root, candidate)) and candidate not in found:
            found.append(candidate)
            if place == folder_of(including):
                return candidate  # the including file's own folder is searched first
    if len(found) > 1:
        return "names both " + " and ".join(found)
    return found[0] if found else None


def check(root, rules):
    """One message per include line that breaks a rule."""
    problems = []
    seen_folders = set()
    for path in source_files(root):
        folder = folder_of(path)
        if folder not in rules:
            if folder not in seen_folders:
                problems.append(f"{folder}/ holds sources ({path}) but has no rule in the "
                                "rules file: add a line saying which folders it may include")
            seen_folders.add(folder)
            continue
        allowed = rules[folder]
        rule = f"{folder}: {' '.join(sorted(allowed)) or '(nothing outside itself)'}"
        try:
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                lines = f.readlines()
        except OSError as e:
            problems.append(f"{path}: cannot be read ({e.strerror})")
            continue
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quote, name = match.groups()
            where = f"{path}:{number}: {line.strip()}"
            if quote == "<":
                if QT_HEADER.match(name) and QT_TOKEN not in allowed:
                    problems.append(f"{where}: Qt is not allowed here (rule '{rule}')")
                continue
            if GENERATED.search(name):
                continue
            target = resolve(root, path, name)
            if target is None:
                problems.append(f"{where}: names no file of the tree")
            elif target.startswith("names both"):
                problems.append(f"{where}: {target}; name one of them from the root")
            elif folder_of(target) != folder and folder_of(target) not in allowed:
                problems.append(f"{where}: {folder}/ may not include {folder_of(target)}/ "
                                f"(rule '{rule}')")
    return problems


def main(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--rules", help="default: ROOT/include-rules.txt")
    args = parser.parse_args(argv)
    rules_path = args.rules or os.path.join(args.root, "include-rules.txt")
    try:
        rules = read_rules(rules_path)
    except RulesError as e:
        print(e, file=sys.stderr)
        return 2
    problems = check(args.root, rules)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"{len(problems)} include line(s) break the folder rules of {rules_path}",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
