#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time (FUZZ_SECONDS each, default 60), printing its
# latest status every PROGRESS_SECONDS (default 10) and one summary line per target.
# Corpora live in build/fuzz/corpus/NAME; a crash leaves its input in build/fuzz/ (NAME-crash-*).
# fuzz_swf's corpus is seeded by swf_seeds, plus the project's movies where they exist.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${FUZZ_SECONDS:-60}
PROGRESS=${PROGRESS_SECONDS:-10}
cd "$ROOT/build/fuzz"

seed() {  # name
    case $1 in
    fuzz_swf)
        tests/fuzz/swf_seeds "corpus/$1" >/dev/null
        local m
        for m in "$ROOT"/osd/resources/*.swf "$ROOT"/setup/resources/*.swf; do
            [ -f "$m" ] && cp "$m" "corpus/$1/"
        done
        ;;
    esac
    return 0
}

# The last libFuzzer status line of a log: "#N pulse|NEW|REDUCE... cov: ... exec/s: ... rss: ...".
status_line() { grep -aE '^#[0-9]+' "$1" | tail -n1 || true; }

status=0
summary=()
for f in tests/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    mkdir -p "corpus/$name"
    seed "$name"
    echo "== fuzz: $name for ${SECONDS_EACH}s ($(ls "corpus/$name" | wc -l) inputs in corpus/$name)"
    log=$name.log
    "./$f" -max_total_time="$SECONDS_EACH" -max_len=70000 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$name-" "corpus/$name" 2>"$log" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        for ((i = 0; i < PROGRESS * 10; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -0 "$pid" 2>/dev/null && echo "   $name: $(status_line "$log")"
    done
    rc=0
    wait "$pid" || rc=$?
    execs=$(grep -aE '^stat::number_of_executed_units' "$log" | awk '{print $2}' || true)
    rss=$(grep -aE '^stat::peak_rss_mb' "$log" | awk '{print $2}' || true)
    last=$(status_line "$log")
    cov=$(sed -nE 's/.* cov: ([0-9]+) ft: ([0-9]+).*/cov \1 ft \2/p' <<<"$last")
    if [ "$rc" -eq 0 ]; then
        result=ok
    else
        input=$(ls -t "$name"-crash-* "$name"-leak-* "$name"-oom-* "$name"-timeout-* 2>/dev/null | head -n1 || true)
        result="FAILED (exit $rc; log build/fuzz/$log; input build/fuzz/${input:-none})"
        status=1
    fi
    line="$name: ${execs:-?} executions, ${cov:-cov ?}, peak RSS ${rss:-?} MB: $result"
    echo "$line"
    summary+=("$line")
done
echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
exit $status
