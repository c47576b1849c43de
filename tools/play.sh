#!/usr/bin/env bash
# Builds the game (release) and runs it: in a window where there is a display,
# otherwise the headless demo, which writes its last frame to quillaby.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/quillaby "$@"
