#!/usr/bin/env bash
# Runs the native tests and the Windows tests under Wine, then one summary line.
#   tools/test-all.sh WINARCH     WINARCH: win32 or win64, the Windows test build to run
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
ARCH=${1:?usage: tools/test-all.sh win32|win64}

passed=0 failed=0 report=()
run_suite() {  # name preset
    local log=build/$2-ctest.log
    echo "== tests: $1"
    ctest --preset "$2" -j2 2>&1 | tee "$log"
    local line p f t
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
    if [ -z "$line" ]; then
        report+=("$1: did not run (see $log)")
        failed=$((failed + 1))
        return
    fi
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    p=$((t - f))
    passed=$((passed + p)) failed=$((failed + f))
    report+=("$1: $p passed, $f failed")
}

run_suite "native" native

if [ "$ARCH" = win64 ]; then
    echo "== note: this machine cannot execute i386 code; the Windows tests run as the x86-64 build under wine64"
fi
if tools/winrun.sh start "$ARCH"; then
    run_suite "Windows ($ARCH, Wine)" "$ARCH"
else
    report+=("Windows ($ARCH, Wine): Wine could not start")
    failed=$((failed + 1))
fi
tools/winrun.sh stop

echo
echo "== summary"
for r in "${report[@]}"; do echo "   $r"; done
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
