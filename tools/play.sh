#!/usr/bin/env bash
# Builds the game (release) and plays it: in a window where there is a display, otherwise
# off-screen, writing the last frame to quillaby.png. Arguments go to the game (--help).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/quillaby "$@"
