#!/usr/bin/env bash
# Renders every screenshot scene offscreen into DIR (see build/tools/vexa-screenshots --list).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VEXA_BUILD_DIR:-$root/build}
dir=${1:?usage: tools/screenshots.sh DIR [SCENE...]}
shift

if [ ! -x "$build/tools/vexa-screenshots" ]; then
    cmake --build "$build" --target vexa-screenshots
fi
mkdir -p "$dir"
echo "Screenshots in $dir:"
QT_QPA_PLATFORM=offscreen exec "$build/tools/vexa-screenshots" "$dir" "$@"
