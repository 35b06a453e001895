#!/usr/bin/env bash
# The layer check fails on an include from a lower folder into a higher one, names the
# place, and passes includes downward and within a folder.
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/course" "$tree/core" "$tree/assets/mesh"
printf '#include "course/Track.h"\n#include "d3d9/d3d9.h"\n' >"$tree/course/Track.cpp"
printf '#include "course/Track.h"\n#include "assets/mesh/Mesh.h"\n' >"$tree/core/App.cpp"
printf '#include "course/Track.h"\n' >"$tree/assets/mesh/Mesh.cpp"
"$check" "$tree"

printf '#include "core/App.h"\n' >"$tree/assets/mesh/Upward.cpp"
if output=$("$check" "$tree" 2>&1); then
  echo "an include from assets into core passed the check" >&2
  exit 1
fi
grep -q 'assets/mesh/Upward.cpp:1: includes core/App.h' <<<"$output" || {
  echo "the failure does not name the place: $output" >&2
  exit 1
}
rm "$tree/assets/mesh/Upward.cpp"

mkdir -p "$tree/stray"
printf '\n' >"$tree/stray/Loose.cpp"
if "$check" "$tree" 2>/dev/null; then
  echo "a folder outside the layers passed the check" >&2
  exit 1
fi
