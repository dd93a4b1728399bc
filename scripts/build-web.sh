#!/bin/sh
# Builds Hobwise for the browser into build-web/: the engine in WebAssembly, the page
# as one file (hobwise.html), the site (site/) and hobwise-solve for node. As root on
# Debian 12 it first installs what it needs: the Debian packages (emscripten, the
# header-only Boost and nlohmann-json the engine uses, Chromium and fonts for the
# page's tests, poppler-utils to read the printed sheet, npm where there is none) and
# the npm packages pinned by web/package-lock.json.
#   sh scripts/build-web.sh
set -e
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  pkgs="emscripten libboost-dev nlohmann-json3-dev cmake make chromium fonts-liberation poppler-utils"
  command -v npm >/dev/null 2>&1 || pkgs="$pkgs npm"
  missing=""
  for p in $pkgs; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  if [ -n "$missing" ]; then
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
else
  echo "build-web.sh: not root, skipping the package install" >&2
fi

# The npm packages, again only when the lock file changed since the last install.
if ! cmp -s web/package-lock.json web/node_modules/.hobwise-installed-lock 2>/dev/null; then
  (cd web && npm ci --no-audit --no-fund --loglevel=error)
  cp web/package-lock.json web/node_modules/.hobwise-installed-lock
fi

# Debian's emscripten runs its optimizer on node with Debian's acorn.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S web -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" cmake --build build-web -j"$(nproc)"
