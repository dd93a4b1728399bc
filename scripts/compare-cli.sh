#!/bin/sh
# Runs two hobwise-solve programs on the same command lines and compares, line by line,
# their standard output, standard error and exit status byte for byte: every message
# of the options, the listing, CSV, JSON, --suggest and --check-train, and random jobs
# inside the Solve ranges. A program may be a command of several words.
#   sh scripts/compare-cli.sh /path/to/old/hobwise-solve build/cli/hobwise-solve [RANDOM_JOBS]
#   sh scripts/compare-cli.sh build/cli/hobwise-solve "node build-web/hobwise-solve.mjs" 30
# Lines with --sheet are left out when COMPARE_NO_SHEET is set (a program that writes
# no sheets). Exit status 1 when any line differs.
set -u
old="$1"
new="$2"
jobs="${3:-40}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

small=$(awk 'BEGIN { for (t = 16; t <= 169; t++) printf (t >= 30 && t <= 60 ? "1" : "0") }')
sparse=$(awk 'BEGIN { for (t = 16; t <= 169; t++) printf (t % 4 == 0 && t <= 100 ? "1" : "0") }')
full=$(awk 'BEGIN { for (t = 16; t <= 169; t++) printf "1" }')
printf '# stock\n30 1\n31 2\n40 1 # a comment\n\n47 2\n50 1\n60 1\n' >"$work/good.txt"
printf '30 1\n31 9\n' >"$work/bad.txt"
awk 'BEGIN { for (i = 0; i < 7000; i++) print "# a long comment line" }' >"$work/large.txt"
mkdir "$work/folder"
pdf="$work/out.pdf"
job="--index-constant 30 --feed-constant 0.0625 --feed-rate .025 --helix-angle 23.5 --pitch 8 --teeth 30"
train="36,40,55,30:30,32,60,48"

# One command line per line, words quoted as the shell quotes them.
lines() {
  cat <<EOF
--help
-h
--version
-v
-hv
$job
$job --stock $small
$job --stock $small --results 0
$job --stock $small --results 3 --exact
$job --stock $small --csv
$job --stock $small --json --workers 1
$job --stock $sparse
$job --stock $sparse --json
$job --stock-file $work/good.txt --json
$job --stock $full --json --whole
$job --stock $full --json --finite --workers 1
$job --stock $small --json --bypass-duplicates
$job --stock $small --json --hob-threads 2
--example --stock $small --json --setup 1
--example --stock $small --json --setup 2
--example --stock $small --json --setup 3
--example --stock $small --json --setup 4
--example --stock $small --json --setup 5
--example --stock $small --json --setup 6
--example --stock $small --json --setup 7
--example --teeth 47 --stock $small --index-constant 30.00001
--example --stock $sparse --suggest 3
--example --stock $sparse --suggest 3 --json
--example --stock $small --suggest --json
$job --stock $small --check-train $train
$job --stock $small --check-train $train --json
$job --stock $sparse --check-train $train --bypass-duplicates
$job --stock $small --sheet $pdf --result 2
$job --stock $small --sheet $pdf --json
$job --stock $small --sheet $pdf --result 201 --json
$job --stock $small --check-train $train --sheet $pdf
--frobnicate
$job --frobnicate
$job --whole=yes
$job --json= --csv
$job --hob-threads
$job --teeth
--teeth --frobnicate
word $job
$job -- --json
$job -
$job -x
$job -hx
$job -h=1
--=x
--h
--v
-é
--é
'' $job
$job --teeth abc --frobnicate
--index-constant 30
--example --index-constant ''
--feed-constant 1 --feed-rate .025 --helix-angle 23.5 --pitch 8 --teeth 30
--index-constant 30 --feed-rate .025 --helix-angle 23.5 --pitch 8 --teeth 30
--index-constant 30 --feed-constant 1 --helix-angle 23.5 --pitch 8 --teeth 30
--index-constant 30 --feed-constant 1 --feed-rate .025 --pitch 8 --teeth 30
--index-constant 30 --feed-constant 1 --feed-rate .025 --helix-angle 23.5 --teeth 30
--index-constant 30 --feed-constant 1 --feed-rate .025 --helix-angle 23.5 --pitch 8
--example --whole --finite
--example --result 1
--example --json --csv
--example --stock $small --stock-file $work/good.txt
--example --stock-file $work/bad.txt
--example --stock-file $work/missing.txt
--example --stock-file $work/folder
--example --stock-file $work/large.txt
--example --check-train $train --result 1 --sheet $pdf
--example --check-train $train --results 3
--example --check-train $train --workers 2
--example --check-train $train --csv
--example --check-train $train --suggest 3
--example --suggest 3 --sheet $pdf
--example --index-constant 0.4
--example --index-constant 1200.1
--example --feed-constant -1
--example --feed-constant 90
--example --helix-angle 0
--example --helix-angle 89.91
--example --pitch 0.349
--example --pitch 361
--example --feed-rate 0.11
--example --feed-rate -.01
--example --feed-constant ''
--example --feed-rate .02x
--example --pitch 1.2.3
--example --helix-angle .
--example --teeth 0
--example --teeth 401
--example --teeth thirty
--example --teeth 1234567890
--example --teeth ''
--example --teeth=
--example --hob-threads 25
--example --setup 8
--example --setup -1
--example --workers 0
--example --workers 257
--example --results many
--example --results 100001
--example --sheet ''
--example --sheet $pdf --result 0
--example --stock 123
--example --stock ${small}1
--example --stock 8${small#?}
--example --check-train 15,40,55,30:30,32,60,48
--example --check-train 36,40,55,30:30,32,60,x
--example --check-train 40,40,40,40
--example --check-train ' 36 ,40,55,30:30,32,60,48' --stock $small
--example --suggest 0
--example --suggest 155
--example --suggest ten
--example --suggest= --json
--example --feed-rate --suggest
$job --stock $small --json --results 3
$job --stock $small --csv --results 3
--example --suggest --csv
--example --suggest 3 --results 2
--example --teeth +2
--example --results -0
--example --check-train $train --exact
--example --sheet $work/folder
--example --sheet $work/missing/out.pdf
--example --feed-rate 0 --sheet $pdf
EOF
  # Random jobs inside the Solve ranges: set-ups, stocks, options and texts of all lengths.
  awk -v n="$jobs" -v small="$small" -v sparse="$sparse" -v full="$full" 'BEGIN {
    srand(17)
    split("30 40 24.5 60 .5 1200 96 25", k, " "); split("0.0625 0.1 .125 1 2.5 30.430 0.05", f, " ")
    split(".025 .03 .0125 .04 .1 .0201 .02501 0.025 .03125", r, " "); split("23.5 45 12.25 8.105 30 60 .5", h, " ")
    split("8 20 10 3.5 167.1672800 360 12", p, " "); split(small " " sparse " " full, s, " ")
    split("  --whole --finite --bypass-duplicates --exact", o, " ")
    for (i = 0; i < n; i++) {
      stock = int(rand() * 3) + 1
      option = o[int(rand() * 6) + 1]
      if (option == "--exact" && stock == 3) option = ""  # the literal algorithm on a full stock takes minutes
      printf "--index-constant %s --feed-constant %s --feed-rate %s --helix-angle %s --pitch %s --teeth %d --setup %d --hob-threads %d --stock %s %s --json\n",
        k[int(rand() * 8) + 1], f[int(rand() * 7) + 1], r[int(rand() * 9) + 1], h[int(rand() * 7) + 1], p[int(rand() * 7) + 1],
        int(rand() * 120) + 10, int(rand() * 8), int(rand() * 3) + 1, s[stock], option
    }
  }'
}

count=0
differ=0
lines | while IFS= read -r line; do
  case "$line" in *--sheet*) [ -n "${COMPARE_NO_SHEET:-}" ] && continue ;; esac
  eval "set -- $line"
  for side in old new; do
    rm -f "$pdf"
    if [ $side = old ]; then $old "$@"; else $new "$@"; fi >"$work/$side.out" 2>"$work/$side.err" </dev/null
    echo $? >"$work/$side.status"
    [ -f "$pdf" ] && echo pdf >>"$work/$side.status"
  done
  count=$((count + 1))
  for part in out err status; do
    if ! cmp -s "$work/old.$part" "$work/new.$part"; then
      differ=$((differ + 1))
      echo "differs ($part): $line" | cut -c1-240
      break
    fi
  done
  echo "$count $differ" >"$work/tally"
done
read -r count differ <"$work/tally"
echo "$count command lines, $differ differ"
[ "$differ" -eq 0 ]
