#!/bin/sh
# Runs the page's tests (node's test runner: the engine in node, the page in Chromium
# through playwright-core) on what scripts/build-web.sh built in build-web/.
# The example job's known answers come from the native program build/cli/hobwise-solve
# (or HOBWISE_SOLVE) and from ../shared/golden (or HOBWISE_GOLDEN), whichever exist.
# Screenshots go to build-web/screenshots/.
#   sh scripts/test-web.sh
set -e
cd "$(dirname "$0")/.."
if [ ! -f build-web/hobwise.html ] || [ ! -d web/node_modules/playwright-core ]; then
  echo "test-web.sh: build the page first: sh scripts/build-web.sh" >&2
  exit 2
fi
cd web
npm test
