#!/usr/bin/env bash
# Configures (once) and builds Tessary incrementally.
# Usage: tools/build.sh BUILD_DIR [cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$1
shift
if [[ ! -f "$build_dir/build.ninja" ]]; then
    cmake -S "$root" -B "$build_dir" -G Ninja "$@" >/dev/null
fi
cmake --build "$build_dir"
