#!/usr/bin/env bash
# Exports samples/scenes/demo.xml with the runner and runs the Khronos glTF validator
# over the export and over every .glb under samples/.
#
#   validate_exports.sh TUMBLEWAY_RUN SOURCE_ROOT
set -euo pipefail
runner=$1
root=$2
validator=$root/tools/gltf-validator/validate.js

if ! command -v node >/dev/null; then
  echo "Node.js is not installed (scripts/setup installs it)" >&2
  exit 1
fi
if [ ! -d "$root/tools/gltf-validator/node_modules/gltf-validator" ]; then
  echo "the glTF validator is not installed (scripts/setup installs it)" >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$runner" "$root/samples/scenes/demo.xml" --export-gltf "$scratch/demo.glb"

files=("$scratch/demo.glb")
while IFS= read -r -d '' sample; do
  files+=("$sample")
done < <(find "$root/samples" -name '*.glb' -print0 | sort -z)

node "$validator" "${files[@]}" >"$scratch/reports.json"
echo "validated ${#files[@]} file(s): no errors, no warnings"
