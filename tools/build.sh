#!/usr/bin/env bash
# Configures (once) and builds Tessary incrementally.
# Usage: tools/build.sh BUILD_DIR [cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$1
shift
# ccache, when the machine has it, lets several work trees share compiled objects.
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
else
    launcher=()
fi
if [[ ! -f "$build_dir/build.ninja" ]]; then
    cmake -S "$root" -B "$build_dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
fi
# Qt's automatic moc step does not notice a header that is new to a target when it was
# built before. When the set of source files changed since the last build, run it again.
source_list=$(cd "$root" && find src tests bench fuzz tools -name '*.h' -o -name '*.cpp' 2>/dev/null | sort | md5sum)
if [[ -f "$build_dir/.source-list" && "$(cat "$build_dir/.source-list")" != "$source_list" ]]; then
    rm -f "$build_dir"/*_autogen/timestamp
fi
cmake --build "$build_dir"
echo "$source_list" >"$build_dir/.source-list"
