#!/bin/sh
# Lines of code (src, app, cli) and of tests (tests/): the *.cpp and *.h lines that are
# neither blank nor comments (a line starting with // after its indentation), and the
# tests' share of the code in percent.
cd "$(dirname "$0")/.."
count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null |
    xargs -0 cat 2>/dev/null | grep -cvE '^[[:space:]]*($|//)'
}
code=$(count src app cli)
tests=$(count tests)
echo "lines of code:  $code (src, app, cli)"
echo "lines of tests: $tests (tests)"
awk -v c="$code" -v t="$tests" 'BEGIN { if (c > 0) printf "tests/code:     %.1f %%\n", 100 * t / c }'
