#!/usr/bin/env bash
# Builds Tessary and starts it with the given notes or images.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/deps.sh"
bash "$root/tools/build.sh" "$root/build" >/dev/null
exec "$root/build/tessary" "$@"
