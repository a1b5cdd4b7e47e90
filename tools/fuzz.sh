#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time (FUZZ_SECONDS each, default 60).
# Corpora live in build/fuzz/corpus/NAME; a crash leaves its input in build/fuzz/.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${FUZZ_SECONDS:-60}
cd "$ROOT/build/fuzz"
status=0
for f in tests/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    mkdir -p "corpus/$name"
    echo "== fuzz: $name for ${SECONDS_EACH}s"
    if ! "./$f" -max_total_time="$SECONDS_EACH" -max_len=70000 -rss_limit_mb=2048 -print_final_stats=1 \
        "corpus/$name" 2>"$name.log"; then
        echo "$name FAILED (log: build/fuzz/$name.log)"
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$name.log" || true
done
exit $status
