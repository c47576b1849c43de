#!/usr/bin/env bash
# Runs tools/check-layers.sh over small trees, one include per case, and checks whether it
# accepts or rejects each; then checks that the repository itself passes.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
script="$here/../../tools/check-layers.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

failures=0
# case EXPECT FILE LINE: a tree holding only FILE with LINE, checked; EXPECT is pass or fail.
case_() {
  local expect="$1" file="$2" line="$3" tree result
  tree="$(mktemp -d "$work/tree.XXXXXX")"
  mkdir -p "$tree/src/base" "$(dirname "$tree/$file")"
  printf '%s\n' "$line" > "$tree/$file"
  if bash "$script" "$tree" > "$tree/out" 2>&1; then result=pass; else result=fail; fi
  if [[ "$result" != "$expect" ]]; then
    echo "FAILED: $file with '$line': expected $expect, got $result" >&2
    sed 's/^/    /' "$tree/out" >&2
    failures=$((failures + 1))
  fi
}

case_ pass src/ui/View.cpp        '#include <ui/Layer.hpp>'
case_ pass src/ui/View.cpp        '#include <graphics/Image.hpp>'
case_ pass src/ui/View.cpp        '#include <base/Object.hpp>'
case_ pass src/engine/Sprite.hpp  '#include <foundation/Bundle.hpp>'
case_ pass src/game/shell/A.cpp   '#include <ads/offerwall/Wall.hpp>'
case_ pass src/ui/View.cpp        '#include <GLES/gl.h>'
case_ pass src/ui/View.cpp        '#include <sys/types.h>'
case_ fail src/ui/View.cpp        '#include <engine/Director.hpp>'
case_ fail src/ui/View.cpp        '#include "engine/Director.hpp"'
case_ fail src/ui/View.cpp        '  #  include <engine/Director.hpp>'
case_ fail src/ui/View.hpp        '#include <ttf/TTFont.hpp>'
case_ fail src/ttf/TTFont.cpp     '#include <ui/View.hpp>'
case_ fail src/base/Object.cpp    '#include <foundation/Clock.hpp>'
case_ fail src/analytics/Agent.cpp '#include <engine/Director.hpp>'
case_ fail src/ads/Client.cpp     '#include <game/shell/Shell.hpp>'
case_ fail src/foundation/A.cpp   '#include <support/TempDir.hpp>'
case_ fail src/newlibrary/A.cpp   '#include <base/Object.hpp>'
case_ pass tests/ui/ViewTest.cpp  '#include <support/GLFixture.hpp>'
case_ pass tests/engine/T.cpp     '#include <ui/View.hpp>'
case_ fail tests/ui/ViewTest.cpp  '#include <engine/Director.hpp>'
case_ fail tests/graphics/T.cpp   '#include <ui/View.hpp>'
case_ pass tests/support/Fix.cpp  '#include <graphics/Image.hpp>'
case_ pass tests/bundle/T.cpp     '#include <game/shell/Shell.hpp>'

if bash "$script" > "$work/repo.out" 2>&1; then :; else
  echo "FAILED: the repository breaks the order of the libraries:" >&2
  cat "$work/repo.out" >&2
  failures=$((failures + 1))
fi

if ((failures)); then
  echo "$failures case(s) failed" >&2
  exit 1
fi
echo "every case passed"
