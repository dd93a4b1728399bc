#!/bin/sh
# Serves the built site (build-web/site/, from scripts/build-web.sh) on this machine
# only: http://127.0.0.1:PORT/ (PORT 8080 unless given). Open it in a browser, which can
# then install it as an app and open it with no network.
#   sh scripts/serve-web.sh [PORT]
set -e
cd "$(dirname "$0")/.."
exec node web/tools/serve.mjs build-web/site "${1:-8080}"
