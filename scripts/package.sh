#!/usr/bin/env bash
# Builds the program and its Debian package build/piecework_<version>_amd64.deb (or in $BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/scripts/need.sh"
"$top/scripts/build.sh" --target piecework package_docs
cd "$build"
cpack --config CPackConfig.cmake -B "$build" | grep -o '/[^ ]*\.deb'
