#!/bin/sh
# Holds every source file of src/, app/, cli/ and web/ to the layers of the program:
#
#   model <- solver <- results <- report <- hobwise (the face) <- painting, ui, cli, web, app
#
# - The include root is src/: a project header is included as "layer/name.h". A layer's
#   public headers sit directly in its folder, its private ones in layer/internal/.
# - A file of a core layer (model, solver, results, report, hobwise) includes its own
#   layer's headers (public or internal) and the public headers of the layers below
#   it; never a header of a layer above it or of a front end, never another layer's
#   internal/ headers, and no Qt.
# - A front end includes from src/ only hobwise/*.h and its own folder's headers; ui
#   and cli also painting/*.h, and app (the window's main) ui/*.h.
# tests/ and bench/ are not checked: a test may reach the internals of what it tests.
#
#   sh scripts/check-layers.sh [ROOT]    # exit status 1 and one line per fault
set -u
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"

cd "$root" || exit 2
files=$(find src app cli web -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) \
  2>/dev/null | LC_ALL=C sort)
[ -n "$files" ] || { echo "check-layers: no source files under $root"; exit 2; }

# shellcheck disable=SC2086  # the file names hold no blanks
awk '
function fault(why) {
  printf "%s:%d: #include %s: %s\n", FILENAME, FNR, target, why
  faults++
}
BEGIN {
  n = split("model solver results report hobwise", core, " ")
  for (i = 1; i <= n; i++) rank[core[i]] = i
  n = split("painting ui cli web app", front, " ")
  for (i = 1; i <= n; i++) isFront[front[i]] = 1
}
FNR == 1 {
  parts = split(FILENAME, p, "/")
  home = p[1] == "src" ? p[2] : p[1]
  homeSub = (p[1] == "src" && parts > 3) ? p[3] : ""
  if (!(home in rank) && !(home in isFront)) {
    printf "%s: not in a folder of a layer or a front end\n", FILENAME
    faults++
  } else if ((home in rank) && homeSub != "" && homeSub != "internal") {
    printf "%s: a layer keeps its public headers in its folder and its private ones in internal/\n", FILENAME
    faults++
  }
}
/^[ \t]*#[ \t]*include[ \t]*[<"]/ {
  line = $0
  sub(/^[ \t]*#[ \t]*include[ \t]*/, "", line)
  quoted = substr(line, 1, 1) == "\""
  closer = quoted ? "\"" : ">"
  rest = substr(line, 2)
  target = substr(line, 1, index(rest, closer) + 1)
  path = substr(rest, 1, index(rest, closer) - 1)
  slash = index(path, "/")
  folder = slash ? substr(path, 1, slash - 1) : ""
  internal = path ~ /^[^\/]+\/internal\//
  known = (folder in rank) || (folder in isFront)

  if (!quoted) {
    if ((home in rank) && path ~ /^Q/) fault("no Qt in the core layers")
    if (!known) next
    fault("project headers are included with quotes, from src/")
    next
  }
  if (path ~ /(^|\/)\.\.(\/|$)/) { fault("include from src/, not by a relative path upwards"); next }
  if (!known) next  # beside the including file: its own folder

  if (home in rank) {
    if (folder == home) next
    if (folder in isFront) { fault("a core layer includes no front end"); next }
    if (rank[folder] > rank[home]) { fault("the " folder " layer lies above the " home " layer"); next }
    if (internal) fault("another layer'"'"'s internal header")
    next
  }
  if (folder == home && !internal) next
  if (folder == "hobwise" && !internal) next
  if (folder == "painting" && (home == "ui" || home == "cli") && !internal) next
  if (folder == "ui" && home == "app" && !internal) next
  fault("a front end includes only the face (hobwise/) and its own headers")
}
END {
  if (faults) { printf "check-layers: %d fault(s)\n", faults; exit 1 }
}
' $files
