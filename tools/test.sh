#!/usr/bin/env bash
# Builds every library and test program and runs the whole suite.
#   bash tools/test.sh            the ci preset (optimised, warnings as errors)
#   bash tools/test.sh dev        debug with AddressSanitizer and UndefinedBehaviorSanitizer
#   bash tools/test.sh tsan       ThreadSanitizer over the tests of the threaded code only (the
#                                 preset names the programs it builds and the tests it runs)
# Further arguments go to ctest (for example -L unit or -R Scheduler).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=ci
if [ $# -gt 0 ] && [[ "$1" != -* ]]; then
  preset=$1
  shift
fi
bash tools/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
