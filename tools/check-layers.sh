#!/usr/bin/env bash
# Fails when a source file includes a library that its own library may not depend on.
#
# Every library exposes all of src/ as its include folder, so the compiler accepts any
# include; this check holds the libraries to their order. Each library of src/ may include
# itself and the libraries it builds on (directly or through another); a test folder
# tests/<library> may include the same, plus tests/support, which src/ never includes. An
# include of any other library (one above, or a peer beside) is reported with its file and
# line. A folder of src/ missing from the table below is reported too, so that the order
# stays complete.
#
# Usage: tools/check-layers.sh [ROOT]   (ROOT defaults to the repository holding this script)
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"

# Each library and those it builds on directly, from the bottom up; folders that do not exist
# yet are listed so that they are held to the order from their first file.
declare -A direct=(
  [base]=""
  [foundation]="base"
  [graphics]="foundation"
  [media]="foundation"
  [services]="foundation"
  [toolkit]="foundation"
  [ui]="graphics services"
  [ttf]="graphics services"
  [engine]="ttf ui"
  [effects]="engine"
  [analytics]="toolkit ui"
  [serverkit]="toolkit ui"
  [ads]="analytics toolkit ui services media"
  [game]="ads analytics serverkit toolkit effects engine media"
)

# allowed[lib]: " lib dep dep ... " (the library itself and everything it builds on).
declare -A allowed=()
closure() {
  local lib="$1" result=" $1 " dep sub
  for dep in ${direct[$lib]}; do
    [[ -n "${allowed[$dep]:-}" ]] || closure "$dep"
    for sub in ${allowed[$dep]}; do
      [[ "$result" == *" $sub "* ]] || result+="$sub "
    done
  done
  allowed[$lib]="$result"
}
for lib in "${!direct[@]}"; do
  [[ -n "${allowed[$lib]:-}" ]] || closure "$lib"
done

failures=0
report() {
  echo "$*" >&2
  failures=$((failures + 1))
}

# check FOLDER LIBRARY EXTRA: every include in FOLDER of a known library must be in
# allowed[LIBRARY] or be EXTRA.
check() {
  local folder="$1" lib="$2" extra="$3" file line target
  while IFS=: read -r file line target; do
    # Only includes of the libraries and of the test helpers are held; system ones are not.
    [[ -n "${direct[$target]+known}" || "$target" == support ]] || continue
    [[ "${allowed[$lib]}" == *" $target "* || "$target" == "$extra" ]] && continue
    report "${file#"$root"/}:$line: $lib includes $target, which it may not depend on" \
      "(it may include:${allowed[$lib]% }${extra:+ $extra})"
  done < <(grep -rnE --include='*.cpp' --include='*.hpp' --include='*.h' --include='*.c' \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"][A-Za-z0-9_]+/' "$folder" \
    | sed -E 's/^([^:]*):([0-9]+):[^<"]*[<"]([A-Za-z0-9_]+)\/.*/\1:\2:\3/')
}

for folder in "$root"/src/*/; do
  lib="$(basename "$folder")"
  if [[ -z "${direct[$lib]+known}" ]]; then
    report "src/$lib: not in the library order of tools/check-layers.sh; add it there"
    continue
  fi
  check "$folder" "$lib" ""
done

for folder in "$root"/tests/*/; do
  lib="$(basename "$folder")"
  # Folders of tests that are not a library's (support, the bundle, tools) are not held.
  [[ -n "${direct[$lib]+known}" ]] || continue
  check "$folder" "$lib" support
done

if ((failures)); then
  echo "check-layers: $failures problem(s) with the order of the libraries" >&2
  exit 1
fi
echo "check-layers: every include follows the order of the libraries"
