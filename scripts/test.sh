#!/usr/bin/env bash
# Builds everything and runs every test against a private PostgreSQL cluster that the
# test run starts and stops itself (Unix socket only, no TCP port).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
"$top/scripts/need.sh"
"$top/scripts/build.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
