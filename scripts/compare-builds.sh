#!/bin/sh
# Compares two builds of hobwise-solve byte for byte: the --json output (and the exit
# status) of the test jobs and of N seeded random jobs inside the Solve ranges (full,
# sparse and default stocks, every set-up, whole/finite, bypass, a share with --exact,
# 1 to 3 workers), then --suggest 5 --json on a handful of them and --check-train
# --json on trains of their results and random ones. Stops at the first difference and
# prints that job.
#   sh scripts/compare-builds.sh OLD_SOLVE NEW_SOLVE [N] [SEED]
# N defaults to 300 random jobs, SEED to 1; COMPARE_SUGGEST=K compares --suggest on K
# of them (default 5; 0 for none, for builds whose suggestions differ on purpose).
# Scratch files go to $TMPDIR (or /tmp).
set -u
[ $# -ge 2 ] || { echo "usage: $0 OLD_SOLVE NEW_SOLVE [N] [SEED]"; exit 2; }
old=$1 new=$2 count=${3:-300} seed=${4:-1}
for program in "$old" "$new"; do
  [ -x "$program" ] || { echo "not a program: $program"; exit 2; }
done
scratch=$(mktemp -d "${TMPDIR:-/tmp}/compare-builds.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

example="--example"
left_hand="--index-constant 24 --feed-constant 16 --feed-rate 0.020 --helix-angle 30 --pitch 10 --teeth 45 --hob-threads 1 --setup 4"
full7=$(awk 'BEGIN { for (i = 0; i < 154; i++) printf "7" }')
j7="--index-constant .5 --feed-constant 30.430 --feed-rate .1 --helix-angle 8.105 --pitch 167.1672800 --teeth 2 --setup 0 --stock $full7"
j8="--index-constant 71 --feed-constant 17.3 --feed-rate 0.02 --helix-angle 60.9646 --pitch 257.2159233 --teeth 63 --hob-threads 2 --setup 0 --stock $full7"

# One job per line: the options of hobwise-solve without the output options.
random_jobs() {
  awk -v n="$count" -v seed="$seed" '
  function pick(a, k) { return a[1 + int(rand() * k)] }
  function between(lo, hi) { return lo + int(rand() * (hi - lo + 1)) }
  function stock(kind,   s, i, t, kinds, first, step) {
    s = ""
    for (i = 0; i < 154; i++) c[i] = 0
    if (kind == 0) {                      # full: the same count of every tooth count
      t = between(1, 7)
      for (i = 0; i < 154; i++) c[i] = t
    } else if (kind == 1) {               # sparse: a few tooth counts, 1 to 3 of each
      kinds = between(12, 60)
      for (i = 0; i < kinds; i++) c[between(0, between(40, 153))] = between(1, 3)
    } else {                              # every step-th tooth count from a first one
      first = between(0, 40); step = between(2, 7)
      for (i = first; i < 154; i += step) c[i] = between(1, 7)
    }
    for (i = 0; i < 154; i++) s = s c[i]
    return s
  }
  function feedRate(   f, d, text) {
    f = 0.005 + rand() * rand() * 0.095  # mostly the finer feeds
    d = rand() < 0.75 ? between(2, 4) : between(5, 8)  # the shorter texts give wider bands
    text = sprintf("%." d "f", f)
    if (rand() < 0.4) text = substr(text, 2)  # ".025" rather than "0.025"
    return substr(text, 1, 10)
  }
  BEGIN {
    srand(seed)
    split("30 24 40 15 20 48 12.5 60 96 120 .5 1200 2.75 72 36.5", ks, " ")
    split("0.0625 0.1 16 10 4.5 1 0.125 25.4 0.08333333333333 30.430 89.9 0.05 2 0.2 7.5", cfs, " ")
    split("8 10 12 5 6.35 20 48 120 360 .35 2.5 167.1672800 32 64 14", pns, " ")
    split("0.0001 89.9 85 1", helices, " ")
    for (j = 1; j <= n; j++) {
      k = rand() < 0.85 ? pick(ks, 15) : between(1, 1200)
      cf = rand() < 0.8 ? pick(cfs, 15) : sprintf("%.3f", rand() * 89.9)
      helix = rand() < 0.1 ? pick(helices, 4) : sprintf("%." between(0, 4) "f", 0.5 + rand() * 79.5)
      pn = rand() < 0.7 ? pick(pns, 15) : sprintf("%.2f", 0.35 + rand() * 60)
      teeth = rand() < 0.8 ? between(10, 120) : between(1, 400)
      threads = rand() < 0.6 ? 1 : rand() < 0.85 ? between(2, 3) : between(1, 24)
      kind = between(0, 3)
      line = "--index-constant " k " --feed-constant " cf " --feed-rate " feedRate() " --helix-angle " helix \
             " --pitch " pn " --teeth " teeth " --hob-threads " threads " --setup " between(0, 7)
      if (kind < 3) line = line " --stock " stock(kind)
      option = rand()
      if (option < 0.1) line = line " --whole"; else if (option < 0.2) line = line " --finite"
      if (rand() < 0.15) line = line " --bypass-duplicates"
      # The literal algorithm only where it ends in seconds: sparse and default stocks.
      if ((kind == 1 || kind == 3) && rand() < 0.15) line = line " --exact"
      print line " --workers " between(1, 3)
    }
  }'
}

jobs=0
# Runs both programs with the job's options and more; stops at the first difference.
compare() {
  what=$1
  shift
  # shellcheck disable=SC2086  # the options are words
  "$old" "$@" >"$scratch/old" 2>/dev/null; old_status=$?
  "$new" "$@" >"$scratch/new" 2>/dev/null; new_status=$?
  jobs=$((jobs + 1))
  if [ "$old_status" != "$new_status" ] || ! cmp -s "$scratch/old" "$scratch/new"; then
    echo "DIFFERENT ($what, exit status $old_status against $new_status):"
    echo "  $(basename "$old") $*"
    cmp "$scratch/old" "$scratch/new" | head -1
    diff "$scratch/old" "$scratch/new" | head -6
    echo "compared $jobs, identical $((jobs - 1))"
    exit 1
  fi
}

# The trains of a JSON output's results, as A,B,C,D:E,F,G,H.
trains_of() {
  sed -n 's/.*"index": \[\([0-9, ]*\)\], "feed": \[\([0-9, ]*\)\].*/\1:\2/p' "$1" | tr -d ' '
}

random_jobs >"$scratch/jobs"
{
  echo "$example"; echo "$example --exact"; echo "$left_hand"; echo "$left_hand --exact --workers 1"
  echo "$example --whole"; echo "$example --finite --bypass-duplicates"; echo "$j7"; echo "$j8"
  cat "$scratch/jobs"
} >"$scratch/all"

while IFS= read -r job; do
  # shellcheck disable=SC2086
  compare solve $job --json
done <"$scratch/all"
solved=$jobs

# --suggest on the first few random jobs without --exact (a suggestion runs 154 solves).
grep -v -e '--exact' "$scratch/jobs" | head -"${COMPARE_SUGGEST:-5}" >"$scratch/suggest"
while IFS= read -r job; do
  # shellcheck disable=SC2086
  compare suggest $job --suggest 5 --json
done <"$scratch/suggest"
suggested=$((jobs - solved))

# --check-train: the first and the last result of every tenth job, and a train of
# random gears with it.
awk 'NR % 10 == 1' "$scratch/all" >"$scratch/check"
trains=0
while IFS= read -r job; do
  # shellcheck disable=SC2086
  "$new" $job --json >"$scratch/results" 2>/dev/null
  random_train=$(awk -v s="$trains" 'BEGIN { srand(s); for (i = 0; i < 8; i++) printf "%s%d", (i == 0 ? "" : i == 4 ? ":" : ","), 16 + int(rand() * 154) }')
  for train in $(trains_of "$scratch/results" | sed -n '1p;$p') "$random_train"; do
    # shellcheck disable=SC2086
    compare check-train $(echo "$job" | sed 's/ --workers [0-9]*//') --check-train "$train" --json
    trains=$((trains + 1))
  done
done <"$scratch/check"

echo "identical: $solved solve runs (--json), $suggested --suggest runs, $trains --check-train runs"
