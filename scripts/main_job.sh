#!/usr/bin/env bash
# Fresh Debian 12 machine to the installer's main job.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/scripts/install_deps.sh"
BUILD_DIR=$build "$top/scripts/build.sh"
"$build/skyvane-installer" --version
"$build/skyvane-installer" "$@"
