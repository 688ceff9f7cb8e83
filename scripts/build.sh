#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
launcher=()
# A compiler cache, where one is installed, makes rebuilds of other checkouts cheap.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# PW_SANITIZE=ON: AddressSanitizer and UndefinedBehaviorSanitizer (best in a build dir of its own).
sanitize=()
[ -n "${PW_SANITIZE:-}" ] && sanitize=(-DPW_SANITIZE="$PW_SANITIZE")
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "${sanitize[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
