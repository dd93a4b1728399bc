#!/bin/sh
# The gear advisor against whole runs on random jobs and stocks (sparse and dense,
# every set-up, the whole/finite/bypass options): each case's report must equal the one
# made of a whole run per addition. Slow (a few seconds a case), so not part of ctest.
#   sh scripts/advisor-compare.sh [CASES] [SEED]      # default 100 cases, seed 1
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target advisor_compare
build/tests/solver/advisor_compare "${1:-100}" "${2:-1}"
