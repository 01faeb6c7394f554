#!/usr/bin/env bash
# Whole-process figures of the command-line export of a page of 20 photographs (6000 x 4000
# JPEG) at 1920 x 1080: peak resident memory and wall time, from /usr/bin/time -v.
# Usage: bench/page_export_process.sh [BUILD_DIR [EXTENSION...]]   (default: build jpg png)
set -euo pipefail
build=${1:-build}
shift || true
extensions=("$@")
[[ ${#extensions[@]} -gt 0 ]] || extensions=(jpg png)
photos=/tmp/tessary-bench-photos
# The benchmark program makes the photographs and the note once.
[[ -f "$photos/page.tsy" ]] || "$build/bench/PageExportBench" --benchmark_filter=ExportPage >/dev/null
export QT_QPA_PLATFORM=offscreen
for extension in "${extensions[@]}"; do
    for run in 1 2 3; do
        /usr/bin/time -v "$build/tessary" --export "/tmp/tessary-bench-export.$extension" --size 1920x1080 "$photos/page.tsy" 2>&1 \
            | grep -E "Elapsed|Maximum resident|User time|System time" | sed "s/^\s*/$extension run $run: /"
    done
done
