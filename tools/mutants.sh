#!/usr/bin/env bash
# Mutation testing: applies one small fault at a time to the named source files, rebuilds
# the tests incrementally and lists the faults no test caught. The files are put back after.
#   bash tools/mutants.sh [--tests tests_app,tests_noteitems] [--max N] [--lines A-B] FILE...
# `bash tools/mutants.sh --help` lists every option. It builds into build-mutants/ unless
# told otherwise with --build, and edits the named files while it runs: leave them alone
# until it ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command -v python3 >/dev/null || bash "$root/tools/deps.sh"
exec python3 "$root/tools/mutants.py" "$@"
