#!/usr/bin/env bash
# The engine library exports exactly the 47 xll_ functions and the twx_ functions its
# extension header declares, and nothing else.
set -euo pipefail
library=$1
extension_header=$2
symbols=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TtWwDdBbRrVvu]$/ {print $3}' | sort)
others=$(printf '%s\n' "$symbols" | grep -v -e '^xll_' -e '^twx_' || true)
if [ -n "$others" ]; then
  echo "exported besides the xll_ and twx_ interfaces:"
  printf '%s\n' "$others"
  exit 1
fi
count=$(printf '%s\n' "$symbols" | grep -c '^xll_')
if [ "$count" -ne 47 ]; then
  echo "$count xll_ exports instead of 47"
  exit 1
fi
declared=$(grep -oE 'TW_EXPORT [^(]*\btwx_[A-Za-z0-9_]+' "$extension_header" | grep -oE 'twx_[A-Za-z0-9_]+' | sort)
exported=$(printf '%s\n' "$symbols" | grep '^twx_' || true)
if [ "$declared" != "$exported" ]; then
  echo "twx_ exports differ from the extension header:"
  diff <(printf '%s\n' "$declared") <(printf '%s\n' "$exported") || true
  exit 1
fi
echo "47 xll_ exports, $(printf '%s\n' "$exported" | grep -c .) twx_ exports"
