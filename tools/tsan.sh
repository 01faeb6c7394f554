#!/usr/bin/env bash
# Builds with clang under ThreadSanitizer and runs the tests of the code that shares data
# between threads: the picture cache and the decode queue, folder listings, Mandelbrot renders,
# workers and their shutdown, and the recovery writer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$root/build-tsan"
bash "$root/tools/deps.sh"
if [[ ! -f "$build_dir/build.ninja" ]]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja \
        $(command -v ccache >/dev/null && echo -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache) \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_SANITIZE=thread -DTESSARY_BENCH=OFF >/dev/null
fi
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake --build "$build_dir" --target tests_items tests_noteitems tests_platform tests_app

export QT_QPA_PLATFORM=offscreen
# Qt is not built with ThreadSanitizer: what it synchronises inside its own libraries (queued
# calls to the user-interface thread) is unseen, and is named in the suppressions.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tools/tsan.supp"
failed=0
run() {
    local program=$1 filter=$2
    echo "== $program $filter"
    XDG_CONFIG_HOME="$build_dir/test-config/$program" "$build_dir/$program" --gtest_filter="$filter" \
        --gtest_brief=1 || failed=1
}
run tests_items 'PictureCache*:ImageDecoder*:PngEncoder*'
run tests_noteitems 'FolderListing*:ImageTree*:Mandelbrot*'
run tests_platform 'WorkerThread*:WorkerShutdown*:SafeFileWriter*'
run tests_app 'RecoveryWriter*:RecoveryStore*:NoteRecovery*:TerminationRequest*'
exit $failed
