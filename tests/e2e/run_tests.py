"""Runs the end-to-end tests (tests/e2e/test_*.py) and writes their counts for test.sh.

Usage: run_tests.py COUNTS_FILE [PATTERNS]   (file globs separated by commas)
TW_E2E_ONLY=TEXT runs only the tests whose id holds TEXT (TEXT|TEXT...: any of them).
"""
import os
import sys
import unittest


def iterate(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from iterate(item)
        else:
            yield item


def main():
    counts_file = sys.argv[1]
    patterns = (sys.argv[2] if len(sys.argv) > 2 else "test_*.py").split(",")
    here = os.path.dirname(os.path.abspath(__file__))
    suite = unittest.TestSuite(
        unittest.defaultTestLoader.discover(here, pattern=pattern, top_level_dir=here)
        for pattern in patterns if pattern)
    only = os.environ.get("TW_E2E_ONLY")
    if only:
        wanted = only.split("|")
        suite = unittest.TestSuite(test for test in iterate(suite)
                                   if any(text in test.id() for text in wanted))
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    passed = result.testsRun - failed - len(result.skipped)
    with open(counts_file, "w") as out:
        out.write(f"{passed} {failed}\n")
    return 0 if failed == 0 and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
