#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang-14, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a while over a copy of its seed corpus,
# so the repository is never changed.
#   bash tools/fuzz.sh                 every target for 20 seconds
#   bash tools/fuzz.sh 300 XMLParser   one target (the name before "Fuzz") for 5 minutes
# Fails when any target finds a crash, hang (10 s for one input), leak, memory blow-up
# (2 GB) or sanitizer report. The input that did it is kept in build/fuzz/findings/<name>/;
# run the target on that file alone to see it again (QUILLABY_FUZZ_LOG=1 shows the log).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=20
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in fuzz/*Fuzz.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name%Fuzz}")
  done
fi

begin=$SECONDS
bash tools/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
echo "fuzz: built in $((SECONDS - begin)) s"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
start=$SECONDS
for name in "${targets[@]}"; do
  program=build/fuzz/fuzz/${name}Fuzz
  if [ ! -x "$program" ]; then
    echo "fuzz: no target $name" >&2
    failed+=("$name")
    continue
  fi
  corpus=$work/$name
  findings=build/fuzz/findings/$name
  mkdir -p "$corpus" "$findings"
  cp fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
  log=$work/$name.log
  status=0
  # The outer time-out only guards against a run that libFuzzer itself cannot stop.
  timeout --kill-after=10 $((seconds + 120)) "$program" "$corpus" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  # A sanitizer report that did not stop the run still fails it.
  if [ "$status" -ne 0 ] || grep -qE "ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|FUZZ_CHECK failed" "$log"; then
    echo "fuzz: $name FAILED (exit $status); its output:"
    tail -n 60 "$log"
    echo "fuzz: the input is kept in $findings/"
    failed+=("$name")
  else
    echo "fuzz: $name passed ${runs:-0} inputs in ${seconds} s"
  fi
done
echo "fuzz: ${#targets[@]} targets fuzzed in $((SECONDS - start)) s, $((SECONDS - begin)) s with the build"
if ((${#failed[@]})); then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
