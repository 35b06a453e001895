#!/usr/bin/env bash
# The engine library exports its xll_ functions and nothing else.
set -euo pipefail
library=$1
symbols=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TtWwDdBbRrVvu]$/ {print $3}')
others=$(printf '%s\n' "$symbols" | grep -v '^xll_' || true)
if [ -n "$others" ]; then
  echo "exported besides the xll_ interface:"
  printf '%s\n' "$others"
  exit 1
fi
count=$(printf '%s\n' "$symbols" | grep -c '^xll_')
echo "$count xll_ exports"
[ "$count" -ge 1 ]
