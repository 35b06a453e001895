#!/usr/bin/env bash
# The layer check passes includes downward, within a layer and into what an area may see;
# it fails, naming the place, on every spelling of an include that runs upward or into an
# area out of sight, and on a folder that is in no list.
#
#   layer_check_test.sh CHECK-LAYERS
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# A small tree that keeps to its layers.
mkdir -p "$tree/engine/course" "$tree/engine/core" "$tree/engine/assets/mesh" \
  "$tree/scenefiles/files" "$tree/filewrite" "$tree/builder/host" "$tree/builder/shell" \
  "$tree/tools/run"
printf '#pragma once\n' >"$tree/engine/core/App.h"
printf '#pragma once\n' >"$tree/builder/shell/AppForm.h"
printf '#include "course/Track.h"\n#include <d3d9/d3d9.h>\n#include "Local.h"\n' \
  >"$tree/engine/course/Track.cpp"
printf '#include "course/Track.h"\n#include "../assets/mesh/Mesh.h"\n' >"$tree/engine/core/App.cpp"
printf '#include <course/Track.h>\n#include "../../course/Track.h"\n' \
  >"$tree/engine/assets/mesh/Mesh.cpp"
printf '#include "files/Scene.h"\n#include "tumbleway/tumbleway.h"\n' >"$tree/builder/shell/AppForm.cpp"
printf '#include "filewrite/Writer.h"\n' >"$tree/engine/core/Export.cpp"
printf '#include "filewrite/Writer.h"\n' >"$tree/scenefiles/files/Scene.cpp"
printf '#include "files/Scene.h"\n#include "RunError.h"\n' >"$tree/tools/run/main.cpp"
printf '#include "shell/AppForm.h"\n' >"$tree/builder/main.cpp"
"$check" "$tree" || {
  echo "a tree that keeps to its layers failed the check" >&2
  exit 1
}

# file | include line | the place the failure must name
cases=(
  'engine/course/Up.cpp|#include "core/App.h"|engine/course/Up.cpp:1: includes core/App.h'
  'engine/course/Up.cpp|#include <core/App.h>|engine/course/Up.cpp:1: includes core/App.h'
  'engine/course/Up.cpp|#include "../core/App.h"|engine/course/Up.cpp:1: includes ../core/App.h'
  'engine/assets/mesh/Up.cpp|#include "../../core/App.h"|engine/assets/mesh/Up.cpp:1: includes ../../core/App.h'
  'engine/core/Up.h|#include "./App.h"\n#include "../../scenefiles/files/Scene.h"|engine/core/Up.h:2: includes ../../scenefiles/files/Scene.h'
  'filewrite/Up.cpp|#include "files/Scene.h"|filewrite/Up.cpp:1: includes files/Scene.h'
  'scenefiles/files/Up.cpp|#include <drive/Drive.h>|scenefiles/files/Up.cpp:1: includes drive/Drive.h'
  'engine/course/Up.cpp|\n  #include "core/App.h"|engine/course/Up.cpp:2: includes core/App.h'
  'engine/course/Up.cpp|# include "core/App.h"|engine/course/Up.cpp:1: includes core/App.h'
  'engine/course/Up.cpp|  #  include  <core/App.h>|engine/course/Up.cpp:1: includes core/App.h'
  'builder/host/Up.cpp|#include "shell/AppForm.h"|builder/host/Up.cpp:1: includes shell/AppForm.h'
  'builder/shell/Up.cpp|#include "core/App.h"|builder/shell/Up.cpp:1: includes core/App.h'
  'tools/run/Up.cpp|#include "shell/AppForm.h"|tools/run/Up.cpp:1: includes shell/AppForm.h'
  'engine/stray/Loose.cpp|\n|engine/stray/Loose.cpp: the folder'
  'tools/stray/Loose.cpp|\n|tools/stray/Loose.cpp: lies in no area'
)
for entry in "${cases[@]}"; do
  IFS='|' read -r file line expected <<<"$entry"
  mkdir -p "$(dirname "$tree/$file")"
  printf "$line\n" >"$tree/$file"
  if output=$("$check" "$tree" 2>&1); then
    echo "passed the check: $file with: $line" >&2
    exit 1
  fi
  grep -qF "$expected" <<<"$output" || {
    echo "the failure for $file ($line) does not name the place: $output" >&2
    exit 1
  }
  rm "$tree/$file"
done
