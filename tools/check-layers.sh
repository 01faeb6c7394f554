#!/usr/bin/env bash
# Fails when the note document layer reaches into the page item kinds: no file of src/document
# may include a header of src/noteitems. The document knows page items only through the
# NoteItem interface and the note schema.
# Usage: tools/check-layers.sh [REPOSITORY_ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
if [[ ! -d "$root/src/document" ]]; then
    echo "check-layers: no src/document under $root" >&2
    exit 2
fi
if found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]noteitems/' "$root/src/document"); then
    echo "check-layers: src/document includes headers of src/noteitems:" >&2
    echo "$found" >&2
    exit 1
fi
