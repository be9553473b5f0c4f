#!/usr/bin/env bash
# Sets up, builds and runs the converter on the pictures given, or, with none, on the sample
# picture shipped in examples/ (its results go to build/sample/).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

(
    cd "$here"
    tools/setup.sh
    cmake --preset default >/dev/null
    cmake --build --preset default --target tarvelo-cli >/dev/null
)

cli="$here/build/default/cli/tarvelo-cli"
if [ $# -eq 0 ]; then
    out="$here/build/sample"
    mkdir -p "$out"
    "$cli" --show-settings -o "$out" -p "$out/sample.png" "$here/examples/sample.bmp"
    echo "Converted examples/sample.bmp: screen file and preview in $out"
    ls -l "$out"
    exit 0
fi
exec "$cli" "$@"
