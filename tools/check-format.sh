#!/usr/bin/env bash
# Fails when a C++ source of src/, tests/, bench/, fuzz/ or tools/ differs from what
# clang-format makes of it under the repository's .clang-format, and names the files.
#   bash tools/check-format.sh         check
#   bash tools/check-format.sh --fix   format those files in place
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format-14}
mapfile -d '' files < <(find src tests bench fuzz tools -type f \( -name '*.cpp' -o -name '*.hpp' \
  -o -name '*.h' -o -name '*.c' \) -not -path '*/corpus/*' -print0 | sort -z)
if [ "${1:-}" = --fix ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 50 -P 4 "$format" -i
  exit 0
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! printf '%s\0' "${files[@]}" | xargs -0 -n 50 -P 4 "$format" --dry-run -Werror 2>"$report"; then
  grep -o '^[^:]*:[0-9]*:[0-9]*: error' "$report" | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  echo "check-format: run 'bash tools/check-format.sh --fix' and commit the result" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
