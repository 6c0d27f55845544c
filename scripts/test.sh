#!/usr/bin/env bash
# Fresh Debian 12 machine to a full test run: dependencies, build from scratch, every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/scripts/install_deps.sh"
rm -rf "$build"
BUILD_DIR=$build "$top/scripts/build.sh"
# GUI tests draw through Mesa's software renderer on a virtual display.
export LIBGL_ALWAYS_SOFTWARE=1
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 --timeout 600
