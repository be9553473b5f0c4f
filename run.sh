#!/usr/bin/env bash
# Sets up, builds and runs the converter on the pictures given (or on the sample picture).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

(
    cd "$here"
    tools/setup.sh
    cmake --preset default >/dev/null
    cmake --build --preset default --target tarvelo-cli >/dev/null
)

exec "$here/build/default/cli/tarvelo-cli" "$@"
