#!/bin/sh
# Installs what Hobwise needs, builds it and starts the program.
set -e
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then
  sh scripts/install-deps.sh
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/hobwise "$@"
fi
echo "run.sh: no display to open the window on; solving the built-in example job on the command line instead." >&2
echo "run.sh: (on a desktop session, or under xvfb-run, this command opens the window)" >&2
exec build/cli/hobwise-solve --example
