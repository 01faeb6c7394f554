#!/usr/bin/env bash
# Builds with clang under AddressSanitizer and UndefinedBehaviorSanitizer, runs every
# test there, then runs each fuzz target for FUZZ_SECONDS (default 60).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$root/build-sanitize"
fuzz_seconds=${FUZZ_SECONDS:-60}
bash "$root/tools/deps.sh"
CC=clang CXX=clang++ bash "$root/tools/build.sh" "$build_dir" \
    -DCMAKE_BUILD_TYPE=Debug -DTESSARY_SANITIZE=ON -DTESSARY_FUZZ=ON -DTESSARY_BENCH=OFF

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build_dir" --output-on-failure -j2

# Two minutes of random input on the real window, with a new seed each run (printed first; a
# failure prints the actions and the command that replays them).
random_failed=0
/usr/bin/python3 "$root/tests/random/random_input.py" --seconds "${RANDOM_INPUT_SECONDS:-120}" \
    --answer-timeout 180 "$build_dir/tessary" || random_failed=1

shopt -s nullglob
# Each fuzz target runs on one core; two run side by side.
fuzz_one() {
    local target=$1 name corpus seeds=()
    name=$(basename "$target")
    corpus="$build_dir/fuzz-corpus/$name"
    mkdir -p "$corpus"
    [[ -d "$root/fuzz/seeds/$name" ]] && seeds=("$root/fuzz/seeds/$name")
    if "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=4096 \
            -print_final_stats=0 "$corpus" "${seeds[@]}" >"$build_dir/fuzz-$name.log" 2>&1; then
        echo "Fuzzed $name for ${fuzz_seconds}s: clean"
    else
        echo "Fuzz target $name failed:"
        tail -n 60 "$build_dir/fuzz-$name.log"
        return 1
    fi
}
failed=$random_failed
pids=()
for target in "$build_dir"/fuzz/*; do
    [[ -x "$target" ]] || continue
    fuzz_one "$target" &
    pids+=($!)
    if [[ ${#pids[@]} -ge 2 ]]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit $failed
