#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for SECONDS (default 60) over
# its seeds plus the inputs it finds. Fails when any target finds a crash, a leak or a hang.
# Usage: fuzz/run.sh [SECONDS [TARGET...]]   (all targets when none is named)
set -euo pipefail
seconds="${1:-60}"
shift || true
only=("$@")
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

build="$root/build/fuzz"
work="$build/corpus"
seeds="$build/seeds"
artifacts="$build/artifacts"
mkdir -p "$work" "$artifacts"
rm -rf "$seeds"
"$build/fuzz/fuzz_make_seeds" "$seeds"

shared_corpus="$root/../shared/corpus/bmpsuite"
mkdir -p "$seeds/script"
cp "$root"/examples/*.txt "$seeds/script/" 2>/dev/null || true
if [ -d "$shared_corpus" ]; then
    cp "$shared_corpus"/*/*.bmp "$seeds/dib/"
fi
cp "$root"/examples/*.bmp "$seeds/dib/" 2>/dev/null || true

failed=0
run_target() {
    local target="$1" seed_dir="$2"
    if [ ${#only[@]} -gt 0 ] && [[ ! " ${only[*]} " =~ " $target " ]]; then
        return
    fi
    mkdir -p "$work/$target"
    echo "== $target ($seconds s)"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
            -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
            "$work/$target" "$seed_dir" 2>"$build/$target.log"; then
        echo "!! $target found a problem; see $build/$target.log and $artifacts/"
        tail -n 40 "$build/$target.log"
        failed=1
    else
        grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' \
            "$build/$target.log" | tr '\n' ' '
        grep -oE 'cov: [0-9]+' "$build/$target.log" | tail -n 1
    fi
}

run_target fuzz_dib "$seeds/dib"
run_target fuzz_conversion "$seeds/conversion"
run_target fuzz_encoders "$seeds/encoders"
run_target fuzz_settings "$seeds/settings"
run_target fuzz_palette_file "$seeds/palette"
run_target fuzz_expression "$seeds/expression"
run_target fuzz_script "$seeds/script"

exit "$failed"
