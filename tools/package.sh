#!/usr/bin/env bash
# Builds the Debian package tessary_<version>_amd64.deb from a build tree and prints its path.
# Usage: tools/package.sh [BUILD_DIR [OUT_DIR]]
# BUILD_DIR defaults to build/ (configured and built when it is not yet), OUT_DIR to
# BUILD_DIR/package. Only the program is brought up to date; the tests are not built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(realpath -m "${1:-$root/build}")
out_dir=$(realpath -m "${2:-$build_dir/package}")

bash "$root/tools/deps.sh" >&2
if [[ -f "$build_dir/build.ninja" ]]; then
    cmake --build "$build_dir" --target tessary >&2
else
    bash "$root/tools/build.sh" "$build_dir" >&2
fi

mkdir -p "$out_dir"
log="$out_dir/cpack.log"
# CPack stages the install and its own files in the output folder, so two packagings of one
# build tree into different folders do not meet.
if ! (cd "$build_dir" && cpack -G DEB -B "$out_dir" >"$log" 2>&1); then
    cat "$log" >&2
    echo "tools/package.sh: cpack failed" >&2
    exit 1
fi
package=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$log" | tail -n 1)
if [[ -z "$package" || ! -f "$package" ]]; then
    cat "$log" >&2
    echo "tools/package.sh: cpack made no package" >&2
    exit 1
fi
echo "$package"
