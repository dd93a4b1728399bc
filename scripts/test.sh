#!/bin/sh
# Installs what Hobwise needs, builds it and runs every test.
#   sh scripts/test.sh                                  # Release build in build/, then the page
#                                                       # (build-web/, scripts/test-web.sh)
#   HOBWISE_SANITIZE=address,undefined sh scripts/test.sh   # in build-address-undefined/
#   HOBWISE_SANITIZE=thread sh scripts/test.sh              # in build-thread/
set -e
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then
  sh scripts/install-deps.sh
else
  echo "test.sh: not root, skipping the package install" >&2
fi
san="${HOBWISE_SANITIZE:-}"
if [ -n "$san" ]; then
  dir="build-$(echo "$san" | tr ',' '-')"
  type=RelWithDebInfo
else
  dir=build
  type=Release
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" -DHOBWISE_SANITIZE="$san" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
if [ "$san" = thread ]; then
  # The window tests start hobwise-solve and pdftotext (fork and exec) from a process
  # that already runs Qt's threads; the child only execs, so that is safe.
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$(pwd)/tests/tsan.supp"
fi
cd "$dir"
ctest --output-on-failure -j"$(nproc)" --timeout 600
cd ..
if [ -z "$san" ]; then
  # The page and hobwise-solve for node, held to the native program just built.
  sh scripts/build-web.sh
  HOBWISE_SOLVE="$PWD/build/cli/hobwise-solve" sh scripts/test-web.sh
fi
