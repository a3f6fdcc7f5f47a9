#!/usr/bin/env python3
"""The include checker on small made-up trees: what it lets through, what it refuses, and
what its messages name."""

import contextlib
import importlib.util
import io
import os
import tempfile
import unittest

_spec = importlib.util.spec_from_file_location(
    "check_includes", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                   "scripts", "check-includes.py"))
checker = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(checker)

RULES = """\
# lowest first
engine:
views: engine <Qt>
tests/support: engine
tests/gui: tests/support views engine <Qt>
"""

CLEAN_TREE = {
    "engine/Text.h": '#pragma once\n#include <string>\n',
    "engine/Text.cpp": '#include "engine/Text.h"\n#include "Text.h"\n',
    "views/View.h": '#include <QWidget>\n#include "engine/Text.h"\n',
    "views/View.cpp": '#include "views/View.h"\n#include "View.moc"\n',
    "tests/support/Tree.h": '#include "engine/Text.h"\n',
    "tests/gui/ViewTest.cpp": '#include "support/Tree.h"\n#include "views/View.h"\n',
    "docs/notes.txt": '#include "nowhere.h"\n',
}


def run(tree, rules=RULES):
    with tempfile.TemporaryDirectory() as root:
        for path, text in {**tree, "include-rules.txt": rules}.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(text)
        errors = io.StringIO()
        with contextlib.redirect_stderr(errors):
            status = checker.main(["--root", root])
        return status, errors.getvalue()


class CheckIncludesTest(unittest.TestCase):
    def test_a_tree_that_keeps_the_rules_passes(self):
        self.assertEqual(run(CLEAN_TREE), (0, ""))

    def test_each_broken_rule_fails_naming_the_file_the_line_and_the_rule(self):
        cases = [
            ("an upward include",
             {"engine/Text.cpp": '#include "engine/Text.h"\n#include "views/View.h"\n'},
             'engine/Text.cpp:2: #include "views/View.h": engine/ may not include views/ '
             "(rule 'engine: (nothing outside itself)')"),
            ("Qt below the windows",
             {"engine/Text.h": '#pragma once\n#include <QString>\n'},
             "engine/Text.h:2: #include <QString>: Qt is not allowed here"),
            ("a test reaching a folder its rule leaves out",
             {"tests/support/Tree.h": '#include "views/View.h"\n'},
             'tests/support/Tree.h:1: #include "views/View.h": tests/support/ may not include '
             "views/ (rule 'tests/support: engine')"),
            ("an include the tree cannot answer",
             {"views/View.cpp": '#include "views/Gone.h"\n'},
             'views/View.cpp:1: #include "views/Gone.h": names no file of the tree'),
            ("a new folder without a rule",
             {"widgets/Button.cpp": '#include "engine/Text.h"\n'},
             "widgets/ holds sources (widgets/Button.cpp) but has no rule"),
            ("a name that both the root and tests/ answer",
             {"tests/engine/Text.h": "\n", "tests/gui/ViewTest.cpp": '#include "engine/Text.h"\n'},
             'tests/gui/ViewTest.cpp:1: #include "engine/Text.h": names both engine/Text.h and '
             "tests/engine/Text.h"),
        ]
        for what, change, message in cases:
            with self.subTest(what):
                status, errors = run({**CLEAN_TREE, **change})
                self.assertEqual(status, 1, errors)
                self.assertIn(message, errors)

    def test_build_and_hidden_folders_are_not_checked(self):
        upward = '#include "views/View.h"\n#include <QObject>\n'
        status, errors = run({**CLEAN_TREE, "build-x/CMakeCache.txt": "",
                              "build-x/engine/moc.cpp": upward, ".git/hooks/x.c": upward})
        self.assertEqual((status, errors), (0, ""))

    def test_rules_that_cannot_layer_the_folders_are_refused(self):
        cases = [
            ("two folders that include each other", RULES.replace("engine:", "engine: views"),
             "the rules let folders include each other: engine -> views -> engine"),
            ("a folder allowed that has no rule", RULES + "tools: widgets\n",
             "tools may include widgets, which has no rule"),
            ("a line without a colon", RULES + "tools engine\n", "expected 'folder: folders"),
        ]
        for what, rules, message in cases:
            with self.subTest(what):
                status, errors = run(CLEAN_TREE, rules)
                self.assertEqual(status, 2, errors)
                self.assertIn(message, errors)


if __name__ == "__main__":
    unittest.main()
