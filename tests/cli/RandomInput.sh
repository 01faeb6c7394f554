#!/usr/bin/env bash
# Random mouse and keyboard input on the real window under openbox for a short while: the
# editor must answer after every action, save, export and reopen its note at the end, and
# report nothing under the sanitizers. The seed is fixed here so that the suite runs the same
# actions each time (as far as the time allows); RANDOM_INPUT_SEED and RANDOM_INPUT_SECONDS
# change it. tools/sanitize.sh runs it longer with a new seed.
# Arguments: the tessary executable and the tests/data folder.
set -uo pipefail
seed=${RANDOM_INPUT_SEED:-20261208}
here=$(dirname "$0")
/usr/bin/python3 -c 'import Xlib' 2>/dev/null || { echo "python3-xlib is missing: tools/deps.sh installs it"; exit 77; }
# First the driver's own checks, which need no display.
if ! checks=$(/usr/bin/python3 "$here/../random/test_random_input.py" 2>&1); then
    echo "$checks"
    exit 1
fi
exec /usr/bin/python3 "$here/../random/random_input.py" \
    --seed "$seed" --seconds "${RANDOM_INPUT_SECONDS:-20}" "$1"
