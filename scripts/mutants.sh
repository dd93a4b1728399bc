#!/bin/sh
# Deliberate one-line faults (mutants): each is put into a scratch copy of the tree,
# the test programs and hobwise-solve are rebuilt and ctest runs; a mutant that makes
# a test fail is caught. The line is put back before the next one.
#   sh scripts/mutants.sh            # every mutant
#   sh scripts/mutants.sh M03 M17    # only these
#   MUTANT_CHECK=1 sh scripts/mutants.sh   # only check that each line is found
# MUTANT_DIR (default /tmp/hobwise-mutants) holds the copy and its build; extra cmake
# arguments go in MUTANT_CMAKE_ARGS. MUTANT_TARGETS (default: hobwise-solve and every
# test program) and MUTANT_TESTS (a ctest -R pattern; default: every test) narrow a
# run to the programs and tests of the mutants' files. A mutant is found by its file, or, when that file
# no longer holds the line, by searching src/ for it (the first file that holds it).
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
work="${MUTANT_DIR:-/tmp/hobwise-mutants}"
tree="$work/tree"
build="$work/build"
timeout="${MUTANT_TIMEOUT:-300}"

# id @ file @ what @ original line @ replacement line (both compared without leading
# and trailing blanks; the replacement keeps the original's indentation).
mutants() {
  cat <<'EOF'
M01@src/model/job.cpp@set-up 7 gets the plus sign@case 0: case 3: case 4: case 7: return -1;@case 0: case 3: case 4: case 6: return -1;
M02@src/model/job.cpp@tolerance of a 6-character feed rate@case 6: return 0.001;@case 6: return 0.0015;
M03@src/model/job.cpp@feed constant of exactly 1 not inverted@job.feedFactor = job.feedConstantAsDouble >= 1.0 ? DecFloat(1) / job.feedConstant : job.feedConstant;@job.feedFactor = job.feedConstantAsDouble > 1.0 ? DecFloat(1) / job.feedConstant : job.feedConstant;
M04@src/model/job.cpp@9-character feed rate off by one@if (length >= 9) return 0.0001;  // 9 or 10 characters@if (length >= 10) return 0.0001;
M05@src/solver/c_constant_bisection.cpp@C bisection cap lowered@if (x > kBisectionCap || x < 0) break;@if (x > kBisectionCap / 10 || x < 0) break;
M06@src/model/job.cpp@feed ratio multiplies by sin@return job.normalPitch / (c * job.feedFactor) / job.sinHelix;@return job.normalPitch / (c * job.feedFactor) * job.sinHelix;
M07@src/solver/run_rules.h@band test one order only@(vsLowEnd == Order::Less && vsHighEnd == Order::Greater);@false;
M08@src/solver/run_rules.cpp@whole-C test accepts all@bool passesWholeTest(const DecFloat& c) { return c - boost::multiprecision::floor(c) < toleranceValue(); }@bool passesWholeTest(const DecFloat& c) { return c - boost::multiprecision::ceil(c) < toleranceValue(); }
M09@src/solver/run_rules.cpp@finite-C test one digit short@const DecFloat scaled = c * kFiniteScale;@const DecFloat scaled = c * (kFiniteScale / 10);
M10@src/solver/run_rules.cpp@C limit too low@bool withinCap(const DecFloat& c) { return !(c > capValue()); }@bool withinCap(const DecFloat& c) { return !(c > capValue() / 10); }
M11@src/solver/c_constant_search.cpp@equal C: wider spread kept@return a.spread < b.spread;@return a.spread > b.spread;
M12@src/solver/feed_search.cpp@plain feed search error limit tenfold smaller@if (!withinFeedErrorLimit(error)) continue;@if (!withinFeedErrorLimit(error * 10)) continue;
M13@src/solver/run_rules.h@feed window open below@bool contains(const DecFloat& feed) const { return !(feed > high || feed < low); }@bool contains(const DecFloat& feed) const { return !(feed > high); }
M14@src/solver/feed_search.cpp@each plain piece skips its last C constant@for (std::size_t k = piece.first; k < piece.end; ++k)@for (std::size_t k = piece.first; k + 1 < piece.end; ++k)
M15@src/solver/feed_search.cpp@worker list keeps one copy too many@if (pos != order.end() && sameGears(slots[*pos], find)) return;  // the other copy of the same pair@if (pos != order.end() && sameGears(slots[*pos], find) && pos != order.begin()) return;
M16@src/solver/feed_search.cpp@trim keeps one result too few@if (found.size() > kResultLimit) found.resize(kResultLimit);@if (found.size() >= kResultLimit) found.resize(kResultLimit - 1);
M17@src/solver/feed_search.cpp@trim drops no duplicate@found.erase(std::unique(found.begin(), found.end(), sameGears), found.end());@;
M18@src/solver/worker_list.cpp@trim keeps feeds outside the window@return !window.contains(actualFeed(job, trainRatio(std::uint64_t{r.f2} * r.f3, std::uint64_t{r.f0} * r.f1)));@return false;
M19@src/results/results.cpp@feed error with 14 decimals@t.feedError = "Feed Error: " + formatFixed(ev.feedError, 15);@t.feedError = "Feed Error: " + formatFixed(ev.feedError, 14);
M20@src/results/results.cpp@index lower row swapped@text(std::max(r.i0, r.i1)), text(std::min(r.i0, r.i1)),  // index, lower row@text(std::min(r.i0, r.i1)), text(std::max(r.i0, r.i1)),
M21@src/results/results.cpp@lead error reversed@ev.leadError = ev.leadFromGearing - ev.theoreticalLead;@ev.leadError = ev.theoreticalLead - ev.leadFromGearing;
M22@src/results/results.cpp@outside diameter adds one module@const DecFloat outside = diameter + DecFloat(2 / pitch);@const DecFloat outside = diameter + DecFloat(1 / pitch);
M23@src/results/results.cpp@smallest pitch refused@if (!(teeth >= 1 && pitch >= 0.35 && helix >= 0.0 && helix <= 89.9)) return out;@if (!(teeth >= 1 && pitch > 0.35 && helix >= 0.0 && helix <= 89.9)) return out;
M24@src/report/sheet.cpp@bullet one character late@if (feedLine.size() >= 28) feedLine.replace(27, 1, "•");@if (feedLine.size() >= 28) feedLine.replace(28, 1, "•");
M25@src/report/derivation.cpp@derivation sign flipped@const std::string signText = t.sign == -1 ? " - " : " + ";@const std::string signText = t.sign == 1 ? " - " : " + ";
M26@src/report/internal/sheet_limits.h@lead line cut one short@inline constexpr std::size_t kSheetLeadLineLimit = 83;@inline constexpr std::size_t kSheetLeadLineLimit = 82;
M27@src/report/derivation.cpp@decimal budget one digit larger@while (dF + ds + dp > 49) {@while (dF + ds + dp > 50) {
M28@src/report/sheet.cpp@dms carries at 1000@if (f == 10000) { f = 0; ++s; }@if (f == 1000) { f = 0; ++s; }
M29@src/model/field_rules.cpp@paste of 1000 refused@if (!(value >= 1e-9 && value <= 1000)) return state;@if (!(value >= 1e-9 && value < 1000)) return state;
M30@src/model/field_rules.cpp@paste allowed with two points@state.pasteEnabled = clipPoints + keptPoints <= 1;@state.pasteEnabled = clipPoints + keptPoints <= 2;
M31@src/model/field_rules.cpp@digit 9 refused@if (key >= '0' && key <= '9') return {true, true};@if (key >= '0' && key <= '8') return {true, true};
M32@src/model/field_rules.cpp@second point allowed@if (field.find('.') == std::string_view::npos) return {true, true};@if (true) return {true, true};
M33@src/model/field_rules.cpp@Delete does not clear the results@if (key == kBackspaceKey || key == kDeleteKey) return {true, true};@if (key == kBackspaceKey) return {true, true};
M34@src/ui/window_operations.cpp@clearing leaves the texts@for (int id : kClearedTexts) controls_.setText(id, QString());@;
M35@src/model/field_rules.cpp@Solve refuses a feed rate of 0@{2007, "Feed Rate:", FieldKind::kNumber, kDecimal, kFeedRateLimit, 0, 0.1},@{2007, "Feed Rate:", FieldKind::kNumber, kDecimal, kFeedRateLimit, 1e-9, 0.1},
M36@src/ui/settings.cpp@stored stock cut one short@gearStockText = settings.value(kChangeGearsKey).toString().toStdString().substr(0, 155);@gearStockText = settings.value(kChangeGearsKey).toString().toStdString().substr(0, 154);
M37@src/ui/settings.cpp@feed rate not saved@settings.setValue(kFeedRateKey, controls.text(2007).left(static_cast<int>(kFeedRateLimit)));@;
M38@src/ui/settings.cpp@loaded fields cut one short@if (settings.contains(f.key)) controls.setText(f.id, settings.value(f.key).toString().left(f.limit));@if (settings.contains(f.key)) controls.setText(f.id, settings.value(f.key).toString().left(f.limit - 1));
M39@src/ui/settings.cpp@last stock gear not saved@for (int i = 0; i < kToothCountKinds; ++i) stock += controls.text(5000 + i).left(1);@for (int i = 0; i + 1 < kToothCountKinds; ++i) stock += controls.text(5000 + i).left(1);
M40@src/solver/pair_table.cpp@fast order: a NaN threshold compares as less@if (nan_) return Order::Equal;@if (nan_) return Order::Less;
M41@src/solver/c_constant_wide.cpp@whole-number C: roots from 9999.5 taken as capped@room.capped = root > 99999.5;@room.capped = root > 9999.5;
M42@src/solver/internal/c_constant_bisection.h@fast C: x below the room goes down@if (x < rootLow) return 1;@if (x < rootLow) return -1;
M43@src/solver/internal/c_constant_bisection.h@fast C: falling formula, x between pole and room goes down@if (poleHigh < x && x < rootLow) return 1;@if (poleHigh < x && x < rootLow) return -1;
M44@src/solver/c_constant_wide.cpp@whole-number C: near the root, the upper bound taken from the lower@if (!dhi) dhi = mid.toDecFloat(state.hi, state.x, *dx);@if (!dhi) dhi = mid.toDecFloat(state.lo, state.x, *dx);
M45@src/solver/c_constant_wide.cpp@whole-number C: end test with the wrong unit@if (mid.g() == 128) return hi > lo + Wide(k128_);@if (mid.g() == 128) return hi > lo + Wide(k120_);
M46@src/solver/feed_sweep.cpp@fast window: certainly inside taken as outside@if (feed < feedHighApprox - feedRoom && feed > feedLowApprox + feedRoom) return true;@if (feed < feedHighApprox - feedRoom && feed > feedLowApprox + feedRoom) return false;
M47@src/solver/feed_sweep.cpp@fast look counts one train per product@visit.trains += place.weight[k] * g.distinct;@visit.trains += place.weight[k];
M48@src/solver/feed_sweep.cpp@sweep skips the C constant after a look it must repeat@const std::size_t next = v.again ? k + 1 : firstReaching(k, v.keyX * inverse[l]);@const std::size_t next = v.again ? k + 2 : firstReaching(k, v.keyX * inverse[l]);
M49@src/solver/feed_sweep.cpp@fast look decides a train at the 0.001 limit in double@if (distance > tolerance - margin) return visitExactly(record, g, target, list, state);@if (false) return visitExactly(record, g, target, list, state);
M50@src/solver/run_rules.cpp@fast stock check wants one gear more@if (first && uses > 1 && uses > stock.count(gears[k])) return false;@if (first && uses > 1 && uses >= stock.count(gears[k])) return false;
M51@src/results/results.cpp@fraction pre-test without its margin@const double margin = 1e-9 * std::max(1.0, std::fabs(vd));@const double margin = 0;
M52@src/solver/index_search.cpp@fast index search: only trains above the low end@if (low == Order::Equal) return;@if (low != Order::Greater) return;
M53@src/solver/feed_sweep.cpp@fast block takes T +- 0.001 inside the window when either end is@windowAll[k - first] = inWindowFast((ts[k] - kFeedErrorLimit) * feedFactorApprox) == true &&@windowAll[k - first] = inWindowFast((ts[k] - kFeedErrorLimit) * feedFactorApprox) == true ||
M60@src/model/stock_file.cpp@a carriage return ends no line@const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());@const std::size_t end = std::min(text.find('\n'), text.size());
M61@src/model/stock_file.cpp@a blank stock file is the empty stock@if (!holdsSomething) return std::string("blank (no stock line and no comment), so no stock file");@;
M62@src/model/stock_file.cpp@a sign on a count is taken@if (word.find_first_not_of("0123456789") != std::string_view::npos) return Number::kNone;@;
M63@src/model/plain_text.cpp@control characters pass as text@if (length == 0 || isControl(codePoint(text, at, length))) return at;@if (length == 0) return at;
M64@src/model/plain_text.cpp@surrogates pass as UTF-8@if (lead == 0xED) high = 0x9F;  // no surrogate@;
M65@src/model/plain_text.cpp@quoted text cut one short@for (end = 0; end < characters.size() && width + characters[end].width <= kQuotedCharacters; ++end)@for (end = 0; end < characters.size() && width + characters[end].width < kQuotedCharacters; ++end)
M66@src/model/file_io.cpp@reader refuses a file of the limit's size@out.tooLarge = static_cast<std::uintmax_t>(info.st_size) > maxBytes;@out.tooLarge = static_cast<std::uintmax_t>(info.st_size) >= maxBytes;
M67@src/model/file_io.cpp@write errors not seen@if (put < 0) return systemWords(errno);@if (put < 0) return std::nullopt;
M68@src/model/file_io.cpp@failed write leaves its temporary file@if (!path_.empty()) ::unlink(path_.c_str());  // before unlisting: a signal between finds it listed@;
M69@src/model/file_io.cpp@a pipe or folder as target is replaced@if (!S_ISREG(info.st_mode)) return notAFile(info.st_mode);@;
M70@src/model/file_io.cpp@replaced file's mode not kept@if (target.mode) (void)::fchmod(temporary.descriptor(), *target.mode);@;
M71@src/model/file_io.cpp@Ctrl+C leaves the temporary file@if (char* name = slot.exchange(nullptr)) ::unlink(name);  // the copy is left: the process ends@;
M72@src/model/file_io.cpp@an empty temporary file is renamed@if (mustHoldBytes && info.st_size == 0) return "nothing was written";@;
M73@src/model/file_io.cpp@the file-size signal ends the program@ignoreFileSizeSignal();@;
EOF
}

# Prints the file (relative to the tree) whose line, without blanks around it, is $orig.
holds() { [ -f "$tree/$1" ] && sed 's/^[[:space:]]*//; s/[[:space:]]*$//' "$tree/$1" | grep -qxF -- "$orig"; }
find_file() {
  if holds "$1"; then echo "$1"; return; fi
  for f in $(cd "$tree" && find src -name '*.cpp' -o -name '*.h' | sort); do
    if holds "$f"; then echo "$f"; return; fi
  done
}

# Replaces the first line of $1 equal to $orig (blanks around ignored) by $repl.
apply() {
  ORIG="$orig" REPL="$repl" awk '
    { line = $0; t = line; sub(/^[[:space:]]+/, "", t); sub(/[[:space:]]+$/, "", t) }
    !done && t == ENVIRON["ORIG"] { match(line, /^[[:space:]]*/); print substr(line, 1, RLENGTH) ENVIRON["REPL"]; done = 1; next }
    { print line }' "$1" >"$1.mutant" && mv "$1.mutant" "$1"
}

echo "Copying the tree to $tree ..."
mkdir -p "$work"
rm -rf "$tree" "$build"  # a fresh build: the copy's times say nothing about the old one
mkdir -p "$tree"
(cd "$root" && tar cf - --exclude='./build*' --exclude=./.git .) | (cd "$tree" && tar xf -)
check_only="${MUTANT_CHECK:-}"  # set: only see that every line is found and changed
[ -n "$check_only" ] || {
# The copy does not sit beside shared/: the golden files are read where the tree finds them.
cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHOBWISE_GOLDEN_DIR="$root/../shared/golden" ${MUTANT_CMAKE_ARGS:-} >"$work/configure.log" 2>&1 ||
  { echo "configure failed: $work/configure.log"; exit 2; }
targets="${MUTANT_TARGETS:-hobwise-solve $(grep -rhE '^[[:space:]]*hobwise_add_test\(' "$tree/tests" | sed 's/^[^(]*(//; s/[[:space:]].*//' | tr '\n' ' ')}"
build_tests() { nice cmake --build "$build" -j2 --target $targets >"$work/build.log" 2>&1; }
run_tests() {
  (cd "$build" && QT_QPA_PLATFORM=offscreen nice ctest -j2 --timeout "$timeout" --stop-on-failure -LE package \
    ${MUTANT_TESTS:+-R "$MUTANT_TESTS"} >"$work/ctest.log" 2>&1)
}
echo "Building the unchanged tree ..."
build_tests || { echo "the unchanged tree does not build: $work/build.log"; exit 2; }
run_tests || { echo "the unchanged tree fails its tests: $work/ctest.log"; exit 2; }
}

table="$work/table.txt"
: >"$table"
mutants | while IFS='@' read -r id file what orig repl; do
  if [ $# -gt 0 ]; then
    case " $* " in *" $id "*) ;; *) continue ;; esac
  fi
  found=$(find_file "$file")
  if [ -z "$found" ]; then
    printf '%-4s %-36s %-44s %s\n' "$id" "$file" "$what" "line-not-found" | tee -a "$table"
    continue
  fi
  cp "$tree/$found" "$work/original"
  apply "$tree/$found"
  if cmp -s "$tree/$found" "$work/original"; then
    outcome=unchanged
  elif [ -n "$check_only" ]; then
    outcome=applies
  elif ! build_tests; then
    outcome=no-build
    cp "$work/build.log" "$work/$id.build.log"
  elif run_tests; then
    outcome=SURVIVED
  else
    outcome=caught
    grep -E '\*\*\*Failed|\*\*\*Timeout|Failed  ' "$work/ctest.log" | head -1 | sed 's/^ *//' >"$work/$id.catch"
  fi
  cp "$work/original" "$tree/$found"
  printf '%-4s %-36s %-44s %s\n' "$id" "$found" "$what" "$outcome" | tee -a "$table"
done
echo
echo "caught: $(grep -c ' caught$' "$table")  survived: $(grep -c ' SURVIVED$' "$table")  other: $(grep -vcE ' (caught|SURVIVED)$' "$table")"
echo "table: $table"
