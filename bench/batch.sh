#!/usr/bin/env bash
# Batch throughput of tarvelo-cli: COUNT pictures of 1920 x 1080 converted to SCREEN12 with
# -j 1 and -j 2; prints pictures per second and peak memory. Usage: bench/batch.sh [COUNT]
set -euo pipefail
count="${1:-100}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
[ -x /usr/bin/time ] || { echo "needs GNU time (apt-get install time)" >&2; exit 1; }
cmake --preset default >/dev/null
cmake --build --preset default --target tarvelo-cli make_photo_bmp >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$root/build/default/bench/make_photo_bmp" 1920 1080 "$work/photo.bmp"
mkdir -p "$work/in"
for i in $(seq -w 1 "$count"); do cp "$work/photo.bmp" "$work/in/p$i.bmp"; done

# SCREEN12, the whole picture scaled to the screen, files only.
settings="$work/screen12.tvl"
cat > "$work/make-settings.txt" <<'SCRIPT'
SCREEN 12
SETFLAG RESIZE=ON
SCRIPT
"$root/build/default/cli/tarvelo-cli" -q --script "$work/make-settings.txt" --write-settings "$settings"
# Files only: the record's output target is set to 1 (byte 236).
printf '\x01' | dd of="$settings" bs=1 seek=236 conv=notrunc status=none

for jobs in 1 2; do
    rm -rf "$work/out"; mkdir -p "$work/out"
    start=$(date +%s.%N)
    /usr/bin/time -f "%M" -o "$work/time.txt" \
        "$root/build/default/cli/tarvelo-cli" -q -j "$jobs" -s "$settings" -o "$work/out" "$work"/in/*.bmp
    end=$(date +%s.%N)
    written=$(find "$work/out" -name '*.SCC' | wc -l)
    [ "$written" -eq "$count" ] || { echo "only $written of $count screen files written" >&2; exit 1; }
    awk -v jobs="$jobs" -v count="$count" -v start="$start" -v end="$end" \
        -v kib="$(cat "$work/time.txt")" 'BEGIN {
            seconds = end - start
            printf "-j %d: %d pictures in %.2f s = %.2f pictures/s, peak memory %d MiB\n",
                   jobs, count, seconds, count / seconds, kib / 1024 }'
done
