#!/bin/sh
# Lines of code and of tests that are neither blank nor comments (a line starting with
# // after its indentation), and the tests' share of the code in percent:
# - code: the *.cpp and *.h of src, app and cli; the page's code under web/ (*.js,
#   *.mjs, *.cpp, *.h, without node_modules and the tests);
# - tests: the *.cpp and *.h of tests/; web/tests/ and every *.test.* under web/.
cd "$(dirname "$0")/.."
lines() { xargs -0 cat 2>/dev/null | grep -cvE '^[[:space:]]*($|//)'; }
cpp() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null; }
web() {
  find web -path web/node_modules -prune -o -type f \( -name '*.js' -o -name '*.mjs' -o -name '*.cpp' -o -name '*.h' \) \
    -print0 2>/dev/null
}
code=$( { cpp src app cli; web | grep -zv -e '^web/tests/' -e '\.test\.'; } | lines)
tests=$( { cpp tests; web | grep -z -e '^web/tests/' -e '\.test\.'; } | lines)
echo "lines of code:  $code (src, app, cli, web)"
echo "lines of tests: $tests (tests, web/tests)"
awk -v c="$code" -v t="$tests" 'BEGIN { if (c > 0) printf "tests/code:     %.1f %%\n", 100 * t / c }'
